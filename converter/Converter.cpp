// The converter object: settings, error reporting, progress and the Zelto CSV to .EDT loop.
#include "ZeltoQvxConverter.h"

#include <cmath>
#include <cstring>
#include <charconv>
#include <fcntl.h>
#include <unistd.h>

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// A number too large or too small for a double: atof gives infinity for the one and
// zero for the other. Which it is follows from the decimal exponent of the first
// significant digit.
double OutOfRange(const char* p, const char* end)
{
    long long lead = 0;  // decimal exponent of the first significant digit, plus one
    bool seen = false, point = false;
    for (; p < end && ((*p >= '0' && *p <= '9') || *p == '.'); ++p) {
        if (*p == '.') { point = true; continue; }
        if (!seen && *p == '0') { if (point) --lead; continue; }
        seen = true;
        if (!point && lead < 100000) ++lead;
    }
    long long exp = 0;
    if (p < end && (*p == 'e' || *p == 'E')) {
        ++p;
        bool eneg = false;
        if (p < end && (*p == '+' || *p == '-')) eneg = *p++ == '-';
        for (; p < end && *p >= '0' && *p <= '9'; ++p)
            if (exp < 100000) exp = exp * 10 + (*p - '0');
        if (eneg) exp = -exp;
    }
    return lead + exp > 0 ? HUGE_VAL : 0.0;
}

// atof semantics, independent of the process locale.
double ReadDecimal(const std::string& s)
{
    std::size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    bool neg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) { neg = s[i] == '-'; ++i; }
    double v = 0.0;
    auto r = std::from_chars(s.data() + i, s.data() + s.size(), v, std::chars_format::general);
    if (r.ec == std::errc::invalid_argument) return 0.0;
    if (r.ec == std::errc::result_out_of_range) v = OutOfRange(s.data() + i, r.ptr);
    return neg ? -v : v;
}

// atoi semantics, saturating instead of overflowing.
int ReadWhole(const std::string& s)
{
    std::size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    bool neg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) { neg = s[i] == '-'; ++i; }
    long long v = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        v = v * 10 + (s[i] - '0');
        if (v > 2147483648LL) v = 2147483648LL;
    }
    if (neg) v = -v;
    if (v > 2147483647LL) v = 2147483647LL;
    return static_cast<int>(v);
}

std::string Fixed2(double v)
{
    char buf[400];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 2);
    return std::string(buf, r.ptr);
}

std::string Int(long long v)
{
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string Two(int v)
{
    std::string s = Int(v);
    return (v >= 0 && v < 10) ? "0" + s : s;
}

std::int32_t Checksum(const std::string& s)
{
    std::uint32_t sum = 0;
    for (char c : s) sum += static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(c)));
    return static_cast<std::int32_t>(sum);
}
}  // namespace

CZeltoQvxConverter::CZeltoQvxConverter()
{
    for (int i = 0; i < ZELTO_ELLIPSOID_ROWS; ++i)
        if (std::strcmp(EllipsoidTable[i].Name, "WGS-84") == 0) { m_nEllipsoid = i; break; }
}

void CZeltoQvxConverter::put_Logfile(std::string path) { m_strLogFile = std::move(path); }
void CZeltoQvxConverter::put_Cancel() { m_bCancel = true; }
void CZeltoQvxConverter::put_AppMessageWnd(CConverterMessageWnd* pWnd) { m_pAppWnd = pWnd; }
long CZeltoQvxConverter::put_AppName(std::string name) { m_strAppName = std::move(name); return S_OK; }
long CZeltoQvxConverter::put_EllipsoidToUse(long n)
{
    if (n < 1 || n > 23) return E_FAIL;
    m_nEllipsoid = static_cast<std::int32_t>(n);
    return S_OK;
}
std::int32_t CZeltoQvxConverter::get_CSVRecords() const { return m_nCSVRecords; }
void CZeltoQvxConverter::GetLastError(std::string& text) const
{
    std::lock_guard<std::mutex> lock(m_errorLock);
    text = m_strLastError;
}

long CZeltoQvxConverter::SetConverterErrorInfo(const char* text, std::uint16_t tag)
{
    {
        std::lock_guard<std::mutex> lock(m_errorLock);
        m_strLastError = text != nullptr ? text : "";
        if (tag != 0) m_strLastError += "  on Tag " + Int(tag);
    }
    if (m_pAppWnd != nullptr) m_pAppWnd->Post(WM_CONVERTERERROR, tag, 0);
    return E_FAIL;
}

void CZeltoQvxConverter::Fire_SendPercentDone(double percent)
{
    if (!(percent >= 0.0)) percent = 0.0;
    if (percent > 100.0) percent = 100.0;
    if (m_pAppWnd != nullptr) m_pAppWnd->Post(WM_PERCENTDONE, 0, static_cast<std::intptr_t>(static_cast<std::int32_t>(percent)));
}

bool CZeltoQvxConverter::WriteLogFile(std::string text)
{
    if (m_strLogFile.empty()) return true;
    std::FILE* fp = std::fopen(m_strLogFile.c_str(), "r+b");
    if (fp == nullptr) return false;
    std::fseek(fp, 0, SEEK_END);
    std::size_t bs = text.rfind('\\');
    if (bs != std::string::npos && bs > 1) text = text.substr(bs + 1);
    text += "\r\n";
    bool ok = std::fwrite(text.data(), 1, text.size(), fp) == text.size();
    ok = std::fclose(fp) == 0 && ok;
    return ok;
}

long CZeltoQvxConverter::ReadZeltoFile(std::string path)
{
    m_strCSVFile = std::move(path);
    if (m_InFile.Open(m_strCSVFile)) { m_InFile.Close(); return S_OK; }
    return SetConverterErrorInfo("Failed to open CSV file.", 0);
}

double CZeltoQvxConverter::ConvertTime(std::string& text)
{
    int h = ReadWhole(text);
    std::string t = text;
    std::size_t c = t.find(':');
    if (c != std::string::npos) t = t.substr(c + 1);
    int m = 0;
    c = t.find(':');
    if (c != std::string::npos) { m = ReadWhole(t.substr(0, c)); t = t.substr(c + 1); }
    int s = ReadWhole(t);
    text = Two(h) + ":" + Two(m) + ":" + Two(s);
    return static_cast<double>(h) * 3600.0 + static_cast<double>(m) * 60.0 + static_cast<double>(s);
}

// A part runs to its marker byte or the end of the text; only its first 15 characters count.
double CZeltoQvxConverter::ConvertPosString(std::string& text)
{
    if (text.empty()) return 0.0;
    std::size_t i = 0, n = text.size();
    while (i < n && text[i] == '"') ++i;
    if (i >= n) return 0.0;
    char hemi = text[i++];
    auto collect = [&](unsigned char marker, std::size_t skip) {
        std::size_t from = i;
        while (i < n && static_cast<unsigned char>(text[i]) != marker) ++i;
        std::string part = text.substr(from, std::min<std::size_t>(i - from, 15));
        i = std::min(n, i + skip);
        return part;
    };
    double deg = ReadDecimal(collect(0xC2, 2));
    int min = ReadWhole(collect(0xE2, 3));
    double sec = ReadDecimal(collect(0xE2, 3));
    double v = sec / 3600.0 + static_cast<double>(min) / 60.0 + deg;
    return (hemi == 'N' || hemi == 'E') ? v : -v;
}

long CZeltoQvxConverter::ConvertPosition(double& latNorthing, double& lonEasting)
{
    if (!m_strIniFile.empty()) return ConvertPositionProject(latNorthing, lonEasting);
    LatLonToUTM(m_nEllipsoid, latNorthing, lonEasting, latNorthing, lonEasting);
    return S_OK;
}

long CZeltoQvxConverter::ParseCSVLine(std::string& line, sALL& rec, std::string* fields)
{
    std::size_t start = 0;
    std::size_t end = line.find(',');
    for (int k = 0;; ++k) {
        if (end == std::string::npos) break;  // text after the last comma is not decoded
        std::string text = line.substr(start, end - start);
        start = end + 1;
        end = line.find(',', start);
        switch (k) {
        case 2: rec.Value2 = ReadDecimal(text); fields[5] = Fixed2(rec.Value2); break;
        case 3: rec.Offset3 = ReadDecimal(text) - rec.Value2; fields[12] = Fixed2(rec.Offset3); m_dDepthOffset = rec.Offset3; break;
        case 4: m_strDate = text; break;
        case 15: rec.Value15 = ReadDecimal(text); fields[27] = Fixed2(rec.Value15); break;
        case 31: rec.Y = ConvertPosString(text); break;
        case 32: rec.X = ConvertPosString(text); break;
        case 34: m_strDate = text; break;
        case 35: rec.TimeSec = ConvertTime(text); fields[4] = text + ".000"; m_strTime = text; break;
        case 36: { int v = ReadWhole(text); rec.Count36 = v; fields[23] = Int(v); break; }
        case 38: rec.Value38 = ReadDecimal(text); fields[31] = Fixed2(rec.Value38); break;
        default: break;
        }
    }
    ConvertPosition(rec.Y, rec.X);
    fields[2] = Fixed2(rec.X);
    fields[3] = Fixed2(rec.Y);
    for (int i = 0; i < ZELTO_OUTPUT_FIELDS; ++i) fields[i] += ",";
    return S_OK;
}

std::uint32_t CZeltoQvxConverter::WriteFileLine(std::string text, std::int32_t withLineEnd)
{
    auto c = static_cast<std::uint32_t>(Checksum(text));
    m_OutFile.Write(text);
    if (withLineEnd != 0) m_OutFile.Write("\r\n");
    return c;
}

std::int32_t CZeltoQvxConverter::WriteFileLine(ZeltoFileHandle handle, std::string text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t w = ::write(handle, text.data() + done, text.size() - done);
        if (w <= 0) return 0;
        done += static_cast<std::size_t>(w);
    }
    return 1;
}

ZeltoFileHandle CZeltoQvxConverter::DoOpenFile(std::string path, std::uint32_t access, std::uint32_t disposition)
{
    bool rd = (access & ZELTO_GENERIC_READ) != 0, wr = (access & ZELTO_GENERIC_WRITE) != 0;
    int flags = (rd && wr) ? O_RDWR : (wr ? O_WRONLY : O_RDONLY);
    switch (disposition) {
    case ZELTO_CREATE_NEW: flags |= O_CREAT | O_EXCL; break;
    case ZELTO_CREATE_ALWAYS: flags |= O_CREAT | O_TRUNC; break;
    case ZELTO_OPEN_EXISTING: break;
    case ZELTO_OPEN_ALWAYS: flags |= O_CREAT; break;
    case ZELTO_TRUNCATE_EXISTING: flags |= O_TRUNC; break;
    default: return ZELTO_INVALID_HANDLE;
    }
    int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
    if (fd >= 0 && disposition == ZELTO_CREATE_ALWAYS) WriteLogFile(path);
    return fd;
}

void CZeltoQvxConverter::CloseFiles()
{
    m_InFile.Close();
    m_OutFile.Close();
}

void CZeltoQvxConverter::WriteFileHeader()
{
    const std::string lines[20] = {
        "FTP ALL 2", "VER Survey 8.2.4.2", "RDF 002_1327.RAW",
        "INF \"\" \"\" \"\" \"\" 0.000000 0.000000 0.000000",
        "ELL \"WGS-84\" 6378137.000 298.257223563",
        "PRO \"TME\" xxxxx -123.000000 0.999600 0.000000 0.000000 0.000000 500000.0000 0.0000",
        "DTM 0.00 0.00 0.00 0.00000 0.00000 0.00000 0.00000", "GEO ??? 0.000",
        "TND " + m_strTime + " " + m_strDate, "DEV 0 32805 \"Position\"",
        "OFF 0 0.00 0.00 0.00 0.00 0.00 0.00 0.00", "DEV 1 40977 \"Depth\"",
        "OFF 1 0.00 0.00 " + Fixed2(m_dDepthOffset) + " 0.00 0.00 0.00 0.00", "LIN 2",
        "PTS 806102.30 3806540.91 0.00", "PTS 807329.29 3806547.04 0.00",
        "LBP 806102.30 3806540.91 0.00", "LNN 002_1327.EDT", "EOL", "REC 38"};
    std::uint32_t sum = 0;
    for (const auto& l : lines) sum += WriteFileLine(l, 1);
    m_OutFile.Write("EOH " + Int(static_cast<std::int32_t>(sum)) + "\n");
}

long CZeltoQvxConverter::WriteEDTLine(std::string* fields)
{
    std::string line;
    for (int i = 1; i <= 38; ++i) line += fields[i];
    auto c = static_cast<std::int32_t>(WriteFileLine(line, 0));
    m_OutFile.Write(Int(c) + "\r\n");
    return m_OutFile.Failed() ? E_FAIL : S_OK;
}

long CZeltoQvxConverter::WriteQVXFile(std::string /*path*/)
{
    m_dDepthOffset = 0;
    m_nCSVRecords = 0;
    m_nCharsRead = 0;
    m_bCancel = false;
    // A file whose first record lacks date or time must not show the previous file's.
    m_strDate.clear();
    m_strTime.clear();
    if (!m_InFile.Open(m_strCSVFile)) return SetConverterErrorInfo("Failed to open CSV file.", 0);
    std::size_t dot = m_strCSVFile.rfind('.');
    m_strOutFile = (dot == std::string::npos ? std::string() : m_strCSVFile.substr(0, dot)) + ".EDT";
    if (!m_OutFile.Create(m_strOutFile)) { m_InFile.Close(); return SetConverterErrorInfo("Failed to open Bramix file.", 0); }
    m_nFileLength = static_cast<std::uint32_t>(m_InFile.Size());

    sALL rec{};
    std::string fields[ZELTO_OUTPUT_FIELDS];
    std::string line, line2;
    if (m_InFile.ReadLine(line) && m_InFile.ReadLine(line2)) {
        rec = sALL{};
        for (auto& f : fields) f.clear();
        ParseCSVLine(line2, rec, fields);
        WriteFileHeader();
        if (m_OutFile.Failed()) { CloseFiles(); return SetConverterErrorInfo("Failed to write record to file.", 0); }
    }
    m_InFile.Rewind();
    if (!m_InFile.ReadLine(line)) { CloseFiles(); return SetConverterErrorInfo("Failed to parse CSV file.", 0); }
    m_nCharsRead += static_cast<std::uint32_t>(line.size());
    while (m_InFile.ReadLine(line)) {
        if (m_bCancel) break;
        m_nCharsRead += static_cast<std::uint32_t>(line.size());
        rec = sALL{};
        for (auto& f : fields) f.clear();
        if (ParseCSVLine(line, rec, fields) != S_OK) { CloseFiles(); return SetConverterErrorInfo("Failed to parse CSV file.", 0); }
        if (WriteEDTLine(fields) != S_OK) { CloseFiles(); return SetConverterErrorInfo("Failed to write record to file.", 0); }
        ++m_nCSVRecords;
        Fire_SendPercentDone(static_cast<double>(m_nCharsRead) / static_cast<double>(m_nFileLength) * 100.0);
    }
    m_InFile.Close();
    if (!m_OutFile.Close()) return SetConverterErrorInfo("Failed to write record to file.", 0);
    m_bCancel = false;
    return S_OK;
}
