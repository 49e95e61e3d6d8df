#include <vdacheck/report/vdc_base64_writer.h>

#include <algorithm>
#include <ostream>

namespace {

constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

}  // namespace

void vdcBase64Writer::write(const void* data, std::size_t size)
{
    const auto* in = static_cast<const unsigned char*>(data);
    total_ += size;
    while (held_size_ > 0 && held_size_ < 3 && size > 0) {
        held_[held_size_++] = *in++;
        --size;
    }
    if (held_size_ == 3) {
        encode(held_.data(), 1);
        held_size_ = 0;
    }
    const std::size_t groups = size / 3;
    encode(in, groups);
    in += groups * 3;
    size -= groups * 3;
    std::copy(in, in + size, held_.begin());
    held_size_ += size;
}

void vdcBase64Writer::finish()
{
    if (held_size_ > 0) {
        if (buffer_.size() - used_ < 4)
            flush();
        const unsigned b0 = held_[0];
        const unsigned b1 = held_size_ > 1 ? held_[1] : 0u;
        buffer_[used_++] = alphabet[b0 >> 2];
        buffer_[used_++] = alphabet[((b0 & 0x03u) << 4) | (b1 >> 4)];
        buffer_[used_++] = held_size_ > 1 ? alphabet[(b1 & 0x0Fu) << 2] : '=';
        buffer_[used_++] = '=';
        held_size_ = 0;
    }
    flush();
}

void vdcBase64Writer::encode(const unsigned char* in, std::size_t groups)
{
    while (groups > 0) {
        const std::size_t room = (buffer_.size() - used_) / 4;
        if (room == 0) {
            flush();
            continue;
        }
        const std::size_t n = std::min(room, groups);
        char* o = buffer_.data() + used_;
        for (std::size_t g = 0; g < n; ++g, in += 3, o += 4) {
            const unsigned v = (unsigned{in[0]} << 16) | (unsigned{in[1]} << 8) | unsigned{in[2]};
            o[0] = alphabet[v >> 18];
            o[1] = alphabet[(v >> 12) & 0x3Fu];
            o[2] = alphabet[(v >> 6) & 0x3Fu];
            o[3] = alphabet[v & 0x3Fu];
        }
        used_ += n * 4;
        groups -= n;
    }
}

void vdcBase64Writer::flush()
{
    out_.write(buffer_.data(), static_cast<std::streamsize>(used_));
    used_ = 0;
}
