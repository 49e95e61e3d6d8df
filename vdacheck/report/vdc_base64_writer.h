#pragma once

#include <array>
#include <cstddef>
#include <iosfwd>

#include <vdacheck/report/vdc_report_export.h>

// Writes bytes to a stream as base64 (the standard alphabet, with padding, without line breaks), as they
// come: a large buffer is encoded piece by piece and never held twice.
class VDC_REPORT_API vdcBase64Writer {
public:
    explicit vdcBase64Writer(std::ostream& out) : out_(out) {}
    vdcBase64Writer(const vdcBase64Writer&) = delete;
    vdcBase64Writer& operator=(const vdcBase64Writer&) = delete;

    void write(const void* data, std::size_t size);
    // Encodes the last one or two bytes held back, with padding, and hands everything to the stream.
    // Nothing may be written after it.
    void finish();

    std::size_t bytes_written() const { return total_; }  // bytes given to write()

private:
    void encode(const unsigned char* in, std::size_t groups);  // whole groups of three bytes
    void flush();

    std::ostream& out_;
    std::array<unsigned char, 3> held_{};  // bytes of a group not yet complete
    std::size_t held_size_ = 0;
    std::array<char, 1 << 16> buffer_{};
    std::size_t used_ = 0;
    std::size_t total_ = 0;
};
