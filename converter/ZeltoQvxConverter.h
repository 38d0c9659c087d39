// ZeltoQvxConverter.h - converts Zelto survey CSV exports into Bramix .EDT survey files.
//
// One CZeltoQvxConverter converts one file at a time: configure it with the put_ members,
// then call ReadZeltoFile and WriteQVXFile. Progress and errors are posted to the receiver
// given with put_AppMessageWnd; the error text itself is fetched with GetLastError.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "vortan.h"

#if defined(ZELTO_CONVERTER_BUILDING)
#define ZELTO_CONVERTER_API __attribute__((visibility("default")))
#else
#define ZELTO_CONVERTER_API __attribute__((visibility("default")))
#endif

// Status values of the converter members.
#ifndef S_OK
#define S_OK 0L
#endif
#ifndef E_FAIL
#define E_FAIL static_cast<long>(0x80004005L)
#endif

// Messages posted by the converter (WM_USER + 121, WM_USER + 130).
inline constexpr unsigned int WM_PERCENTDONE = 0x479;     // lParam: percentage read, 0..100
inline constexpr unsigned int WM_CONVERTERERROR = 0x482;  // wParam: tag; text via GetLastError
// Messages the dialog's worker posts to its own window.
inline constexpr unsigned int WM_ADDMESSAGE = 0x47B;
inline constexpr unsigned int WM_SHOWOUTPUTFILE = 0x47D;
inline constexpr unsigned int WM_CONVERSIONDONE = 0x47F;

// Low-level file access values understood by DoOpenFile.
inline constexpr std::uint32_t ZELTO_GENERIC_READ = 0x80000000u;
inline constexpr std::uint32_t ZELTO_GENERIC_WRITE = 0x40000000u;
inline constexpr std::uint32_t ZELTO_CREATE_NEW = 1;
inline constexpr std::uint32_t ZELTO_CREATE_ALWAYS = 2;
inline constexpr std::uint32_t ZELTO_OPEN_EXISTING = 3;
inline constexpr std::uint32_t ZELTO_OPEN_ALWAYS = 4;
inline constexpr std::uint32_t ZELTO_TRUNCATE_EXISTING = 5;
using ZeltoFileHandle = int;  // a POSIX descriptor
inline constexpr ZeltoFileHandle ZELTO_INVALID_HANDLE = -1;

// Whatever receives the converter's messages (the dialog's window, the command line's
// progress printer). Post must not block: the converter posts from its worker thread once
// per record.
class ZELTO_CONVERTER_API CConverterMessageWnd {
public:
    virtual ~CConverterMessageWnd() = default;
    virtual void Post(unsigned int message, std::uintptr_t wParam, std::intptr_t lParam) noexcept = 0;
};

// One row of the built-in ellipsoid table.
struct EllipsoidEntry {
    std::int32_t Id;
    const char* Name;
    double SemiMajorAxis;
    double EccentricitySquared;
};
inline constexpr int ZELTO_ELLIPSOID_ROWS = 24;
extern ZELTO_CONVERTER_API const EllipsoidEntry EllipsoidTable[ZELTO_ELLIPSOID_ROWS];

// The .EDT path of a survey export: in the input's folder, the input's file name up to its
// last full stop (the whole name when it has none), then ".EDT". "/data.old/survey" gives
// "/data.old/survey.EDT", "/data/day1.csv" gives "/data/day1.EDT".
ZELTO_CONVERTER_API std::string EdtPathForInput(const std::string& csvPath);

// Removes the temporary files of the conversions running in this process. Async-signal-safe:
// a program's SIGINT or SIGTERM handler calls it before it ends, so that an interrupted run
// leaves every existing .EDT as it was and no temporary behind. From then on no conversion
// of this process creates a temporary (they fail with "Interrupted system call"), since the
// program is about to end.
ZELTO_CONVERTER_API void RemovePartialEdtFiles() noexcept;

// Built-in UTM on a row of EllipsoidTable; zone from the position (Norway/Svalbard rules).
ZELTO_CONVERTER_API void LatLonToUTM(std::int32_t row, double latitude, double longitude,
                                     double& northing, double& easting);

// The parsed record of one CSV line.
struct sALL {
    std::int32_t Reserved;
    double X;        // longitude, then easting
    double Y;        // latitude, then northing
    double TimeSec;  // time of day in seconds
    double Value2;   // column 2
    double D5, D6, D7, D8, D9, D10;
    double Offset3;  // column 3 minus column 2
    double D12, D13, D14, D15, D16, D17, D18, D19, D20, D21;
    double Count36;  // column 36
    double D23, D24, D25;
    double Value15;  // column 15
    double D27, D28, D29;
    double Value38;  // column 38
    double D31, D32, D33, D34, D35, D36, D37;
};

inline constexpr int ZELTO_OUTPUT_FIELDS = 40;

// Text-mode reader: a line ends at LF, CR LF reads as LF. The file is read in blocks of
// 256 KiB and lines are handed out where they lie in the block.
class ZELTO_CONVERTER_API CZeltoTextReader {
public:
    CZeltoTextReader() = default;
    ~CZeltoTextReader();
    CZeltoTextReader(const CZeltoTextReader&) = delete;
    CZeltoTextReader& operator=(const CZeltoTextReader&) = delete;
    bool Open(const std::string& path);
    bool IsOpen() const { return m_fp != nullptr; }
    // Reads the next line without its line end; false at end of file or on a read error,
    // which Failed() tells apart.
    bool ReadLine(std::string& line);
    // The same, without a copy: the view points into the reader's block and stays valid
    // until the next ReadLine, Rewind, Open or Close. The 16 bytes after the view are
    // readable too (block memory of no defined content), for fixed-size copies.
    bool ReadLine(std::string_view& line);
    bool Failed() const { return m_failed; }  // a read failed since the last Open
    bool Rewind();
    std::uint64_t Size() const;
    void Close();

private:
    bool Refill();  // more bytes after the pending ones; false at end of file or on an error

    std::FILE* m_fp = nullptr;
    bool m_failed = false;
    bool m_atEnd = false;                 // the stream has given its last byte
    bool m_streamError = false;           // ... because a read failed: Failed() once the block is used up
    std::unique_ptr<char[]> m_block;      // bytes read and not yet handed out: [m_begin, m_end)
    std::size_t m_capacity = 0;
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
    std::size_t m_scanned = 0;            // bytes from m_begin known to hold no LF
};

// Text-mode writer: every LF handed over reaches the disk as CR LF. Write errors are
// remembered so that a full disk cannot pass unnoticed.
class ZELTO_CONVERTER_API CZeltoTextWriter {
public:
    CZeltoTextWriter() = default;
    ~CZeltoTextWriter();
    CZeltoTextWriter(const CZeltoTextWriter&) = delete;
    CZeltoTextWriter& operator=(const CZeltoTextWriter&) = delete;
    bool Create(const std::string& path);  // replaces any file of that name
    // From now on, hands what WriteBytes wrote to the kernel's write-back every few
    // megabytes. For a file that will replace another by a rename: ext4 writes such a file
    // out whole at the rename, with the program waiting; this spreads that over the writing.
    void WriteBackEarly() { m_writeBackEarly = true; }
    bool IsOpen() const { return m_fp != nullptr; }
    bool Write(const std::string& text);
    // Writes the bytes as they stand, line ends included (no LF to CR LF).
    bool WriteBytes(std::string_view bytes);
    bool Failed() const { return m_failed; }
    bool Close();  // false when anything failed, the final flush included

private:
    std::FILE* m_fp = nullptr;
    bool m_failed = false;
    std::uint64_t m_handed = 0;   // bytes of WriteBytes handed to the file
    std::uint64_t m_started = 0;  // ... of which the kernel was asked to write out
    bool m_writeBackEarly = false;
};

class ZELTO_CONVERTER_API CZeltoQvxConverter {
public:
    CZeltoQvxConverter();
    virtual ~CZeltoQvxConverter();
    CZeltoQvxConverter(const CZeltoQvxConverter&) = delete;
    CZeltoQvxConverter& operator=(const CZeltoQvxConverter&) = delete;

    void put_Logfile(std::string path);
    void put_Cancel();
    void put_AppMessageWnd(CConverterMessageWnd* pWnd);
    long put_AppName(std::string name);
    long put_EllipsoidToUse(long n);
    long put_BraMixStatePlaneIniFile(std::string path);
    std::int32_t get_CSVRecords() const;
    void GetLastError(std::string& text) const;
    long ReadZeltoFile(std::string path);
    long WriteQVXFile(std::string path);

    // What the last WriteQVXFile left, read after it returns.
    // A cancel request stopped it (its status is S_OK all the same).
    bool get_Cancelled() const;
    // Its .EDT is on disk: after every complete conversion, and after a cancelled one only
    // where no file of that name existed before (an existing file is never replaced by a
    // cancelled run's part). False after a failure: an existing file stays as it was.
    bool get_OutputKept() const;
    // Data lines without content (only blanks, or only commas and blanks) that were skipped.
    std::int32_t get_SkippedLines() const;
    // A warning that is no error (records in more than one UTM zone); empty when none.
    void GetLastWarning(std::string& text) const;

protected:
    // CSV input
    long ParseCSVLine(std::string& line, sALL& rec, std::string* fields);
    double ConvertTime(std::string& text);
    double ConvertPosString(std::string& text);
    // positions
    long ConvertPosition(double& latNorthing, double& lonEasting);
    long ConvertPositionProject(double& latNorthing, double& lonEasting);
    // .EDT output
    void WriteFileHeader();
    long WriteEDTLine(std::string* fields);
    std::uint32_t WriteFileLine(std::string text, std::int32_t withLineEnd);
    std::int32_t WriteFileLine(ZeltoFileHandle handle, std::string text);
    ZeltoFileHandle DoOpenFile(std::string path, std::uint32_t access, std::uint32_t disposition);
    void CloseFiles();
    // project geodesy
    static bool TestBramixGeodesy(std::string& text);
    static void BramixGeodesyErrorString(std::string& text);
    // reporting
    long SetConverterErrorInfo(const char* text, std::uint16_t tag);
    void Fire_SendPercentDone(double percent);
    bool WriteLogFile(std::string text);

    // A conversion writes its members on every record, from the first to the last: the
    // alignment makes the object fill whole cache lines, so that converters working side by
    // side on other threads (and whatever lies next to them) never share a line with them.
    alignas(64) std::int32_t m_nCSVRecords = 0;
    CZeltoTextReader m_InFile;
    CZeltoTextWriter m_OutFile;
    std::string m_strOutFile;
    std::string m_strCSVFile;
    std::string m_strLogFile;
    std::atomic<bool> m_bCancel{false};
    CConverterMessageWnd* m_pAppWnd = nullptr;
    std::string m_strAppName;
    std::string m_strLastError;  // guarded by m_errorLock: the window thread reads it mid-run
    std::string m_strIniFile;
    std::int32_t m_nEllipsoid = 1;
    std::uint32_t m_nFileLength = 0;
    std::uint32_t m_nCharsRead = 0;
    GEODESY m_hGeodesy = nullptr;
    std::string m_strDate;
    std::string m_strTime;
    double m_dDepthOffset = 0.0;
    mutable std::mutex m_errorLock;

private:
    // Record errors of one file reported one by one; the rest are counted in one message at
    // the end, so that a file of a million bad positions does not bury everything else.
    static constexpr std::int32_t kRecordErrorsReported = 100;
    // Whether a record error reported now shows its reason (inside the loop, and while the
    // errors are still reported one by one): a reason that costs system calls is looked up
    // only then.
    bool RecordErrorReasonShown() const
    {
        return m_nRecordLine != 0 && m_nRecordErrors < kRecordErrorsReported;
    }
    long ReportRecordError(const char* sentence, const std::string& reason);
    long FailOutput(const char* sentence, const std::string& path, const std::string& reason);

    bool m_bCancelled = false;
    bool m_bOutputKept = false;
    std::int32_t m_nSkippedLines = 0;
    std::string m_strWarning;
    // Where the record being converted comes from, for its errors ("FILE line N: LAT, LON"):
    // its line number (0 outside the record loop) and its position texts, which stay valid
    // while the record is converted. The text is composed only when an error needs it.
    std::int32_t m_nRecordLine = 0;
    std::string_view m_svRecordLat, m_svRecordLon;
    std::int32_t m_nRecordErrors = 0;  // record errors of this file, reported or not
};
