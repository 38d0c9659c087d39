// Profile: the reader and writer of a project's geodesy definition (INI) file.
//
// The behaviour is what users of INI files expect from the usual profile
// services: section and key names match without regard to letter case, blanks
// around names and values are trimmed, a value wrapped in matching quotes (' or
// ") loses them, the first section and the first key of a name win, lines that
// start with ';' are comments, LF and CR LF files read alike, and an absent file
// reads as all defaults. A UTF-8 byte-order mark at the start is skipped.
//
// Every write rewrites the whole file into a temporary file beside it and then
// renames it into place, so a crash or a full disk never leaves a half-written
// definition behind. Numbers are read locale-free with the semantics of atof
// and atoi (leading numeric part, 0 when there is none).
#ifndef VORTAN_PROFILE_H
#define VORTAN_PROFILE_H

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class Profile {
public:
    explicit Profile(std::string path);
    virtual ~Profile();
    Profile(const Profile&) = delete;
    Profile& operator=(const Profile&) = delete;

    // Copies the value of key in section (or def when absent) into buf, cut to
    // size - 1 characters and terminated; returns the characters copied.
    // A null key fills buf with the section's key list (see ReadKeyList); a null
    // section fills it with the section names.
    virtual int ReadString(char* buf, int size, const char* key, const char* section,
                           const char* def) const;
    // Sets key = value in section, adding the section or key when absent. A null
    // value removes the key; a null key removes the whole section. Returns false
    // when the file could not be written (the old file is then untouched), and
    // without touching it for text that would not read back as written: a line
    // end in any of the three, '=' in the key or a key starting with '[' or ';',
    // ']' in the section name, an empty key or section name.
    virtual bool WriteString(const char* key, const char* value, const char* section);
    // Empties targetSection of this file (null: the source section's name), then
    // copies every key of the source's sourceSection with its value into it.
    virtual bool CopySection(const Profile& source, const char* sourceSection,
                             const char* targetSection);
    // True when the section lists at least one key.
    virtual bool SectionExists(const char* section) const;
    // The section's key names, each NUL-terminated, the list closed by a second
    // NUL; returns how many there are. An empty section gives two NULs and 0.
    virtual int ReadKeyList(char* buf, int size, const char* section) const;
    // The names of all sections in the same list form; returns the characters
    // written, not counting the final NUL.
    virtual int ReadSectionNames(char* buf, int size) const;

    // The small reads of the definition reader (a value of up to 79 characters).
    bool HasKey(const char* key, const char* section) const;
    int ReadInt(const char* key, const char* section, int def) const;
    double ReadDouble(const char* key, const char* section, double def) const;
    // "on", "yes", "true" in any case, or a number of exactly 1, are true;
    // anything else present is false; def when absent or empty.
    bool ReadFlag(const char* key, const char* section, bool def) const;

    // The value as a whole string, nullopt when absent (no length limit).
    std::optional<std::string> Value(std::string_view section, std::string_view key) const;
    std::vector<std::string> Keys(std::string_view section) const;
    std::vector<std::string> Sections() const;

    const std::string& Path() const noexcept { return path_; }

private:
    struct Entry {
        std::string key;
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };
    void Load() const;
    const Section* Find(std::string_view section) const;
    bool Rewrite(const std::vector<std::string>& lines);

    std::string path_;
    mutable std::vector<Section> sections_;
    mutable bool loaded_ = false;
};

// Locale-free atof and atoi: the leading numeric part of text after blanks, 0
// when there is none.
double ProfileAtof(std::string_view text) noexcept;
int ProfileAtoi(std::string_view text) noexcept;

#endif
