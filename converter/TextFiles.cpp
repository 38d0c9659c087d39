// Text-mode file streams for the converter: CR LF line ends on disk, LF in memory.
#include "ZeltoQvxConverter.h"

#include <sys/stat.h>

CZeltoTextReader::~CZeltoTextReader() { Close(); }

bool CZeltoTextReader::Open(const std::string& path)
{
    Close();
    m_fp = std::fopen(path.c_str(), "rb");
    if (m_fp == nullptr)
        return false;
    // A folder opens on POSIX but cannot be read as a survey export.
    struct stat st {};
    if (fstat(fileno(m_fp), &st) != 0 || S_ISDIR(st.st_mode)) {
        Close();
        return false;
    }
    return true;
}

bool CZeltoTextReader::ReadLine(std::string& line)
{
    line.clear();
    if (m_fp == nullptr)
        return false;
    bool any = false;
    int c;
    while ((c = getc_unlocked(m_fp)) != EOF) {
        any = true;
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            return true;
        }
        line.push_back(static_cast<char>(c));
    }
    if (std::ferror(m_fp))
        return false;
    return any;
}

bool CZeltoTextReader::Rewind()
{
    if (m_fp == nullptr)
        return false;
    std::clearerr(m_fp);
    return std::fseek(m_fp, 0, SEEK_SET) == 0;
}

std::uint64_t CZeltoTextReader::Size() const
{
    if (m_fp == nullptr)
        return 0;
    struct stat st {};
    if (fstat(fileno(m_fp), &st) != 0 || st.st_size < 0)
        return 0;
    return static_cast<std::uint64_t>(st.st_size);
}

void CZeltoTextReader::Close()
{
    if (m_fp != nullptr) {
        std::fclose(m_fp);
        m_fp = nullptr;
    }
}

CZeltoTextWriter::~CZeltoTextWriter() { Close(); }

bool CZeltoTextWriter::Create(const std::string& path)
{
    Close();
    m_failed = false;
    m_fp = std::fopen(path.c_str(), "wb");
    return m_fp != nullptr;
}

bool CZeltoTextWriter::Write(const std::string& text)
{
    if (m_fp == nullptr) {
        m_failed = true;
        return false;
    }
    std::size_t from = 0;
    while (from < text.size()) {
        std::size_t lf = text.find('\n', from);
        std::size_t stop = lf == std::string::npos ? text.size() : lf;
        if (stop > from && std::fwrite(text.data() + from, 1, stop - from, m_fp) != stop - from)
            m_failed = true;
        if (lf == std::string::npos)
            break;
        if (std::fwrite("\r\n", 1, 2, m_fp) != 2)
            m_failed = true;
        from = lf + 1;
    }
    return !m_failed;
}

bool CZeltoTextWriter::Close()
{
    if (m_fp == nullptr)
        return !m_failed;
    if (std::fflush(m_fp) != 0 || std::ferror(m_fp))
        m_failed = true;
    if (std::fclose(m_fp) != 0)
        m_failed = true;
    m_fp = nullptr;
    return !m_failed;
}
