// A geodesy definition file of arbitrary bytes: the INI reader and the
// definition reader must give values or errors, never a fault.
#include "DefinitionFile.h"
#include "Profile.h"
#include "ScratchFolder.h"
#include "errcode.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const ScratchFolder folder("fuzz_definition");
    static const std::string path = folder.Path() + "/geodesy.ini";
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        if (size) std::fwrite(data, 1, size, f);
        std::fclose(f);
    } else {
        return 0;
    }
    try {
        Profile ini(path);
        char buf[256];
        (void)ini.ReadSectionNames(buf, sizeof buf);
        for (const auto& section : ini.Sections()) {
            (void)ini.ReadKeyList(buf, sizeof buf, section.c_str());
            for (const auto& key : ini.Keys(section)) {
                (void)ini.ReadString(buf, sizeof buf, key.c_str(), section.c_str(), "");
                (void)ini.ReadDouble(key.c_str(), section.c_str(), 0.0);
                (void)ini.ReadInt(key.c_str(), section.c_str(), 0);
                (void)ini.ReadFlag(key.c_str(), section.c_str(), false);
            }
            (void)ReadDefinition(ini, section.c_str());
        }
        (void)ReadDefinition(ini, "Geodesy");
    } catch (const errcode&) {
        // a reported error is a fine answer to junk
    }
    return 0;
}
