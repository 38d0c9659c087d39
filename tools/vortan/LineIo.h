// Block-wise line input and output for the vortan filter: a million points
// are read and written in a few hundred system calls, not one per line.
#ifndef VORTAN_TOOL_LINEIO_H
#define VORTAN_TOOL_LINEIO_H

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Reads the lines of an open file descriptor (not closed here).
class LineReader {
public:
    explicit LineReader(int fd);
    // The next line without its line feed, nor a carriage return before it;
    // the last line needs no line feed. The view lives until the next call.
    // False at the end of the input or after a read error (see Error()).
    bool Next(std::string_view& line);
    // errno of a failed read, 0 when the input ended normally.
    int Error() const { return error_; }

private:
    bool Fill();

    int fd_;
    std::vector<char> buf_;
    std::size_t begin_ = 0;  // first byte not yet handed out
    std::size_t end_ = 0;    // one past the last byte read
    bool eof_ = false;
    int error_ = 0;
};

// Collects output text and writes it in large blocks; on a terminal every
// line goes out at once, so an interactive user sees each answer.
class OutputBuffer {
public:
    explicit OutputBuffer(int fd);
    ~OutputBuffer();
    OutputBuffer(const OutputBuffer&) = delete;
    OutputBuffer& operator=(const OutputBuffer&) = delete;

    // The text to append to; call EndLine() after each whole line.
    std::string& Text() { return text_; }
    // Writes when on a terminal or when a block is full. False once a write
    // failed (see Error()).
    bool EndLine();
    // Writes everything collected. False once a write failed.
    bool Flush();
    // errno of the failed write, 0 while every write succeeded.
    int Error() const { return error_; }

private:
    int fd_;
    bool interactive_;
    std::string text_;
    int error_ = 0;
};

#endif
