#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <vdacheck/report/vdc_base64_writer.h>

namespace {

std::string encoded(const std::string& bytes)
{
    std::ostringstream out;
    vdcBase64Writer base64(out);
    base64.write(bytes.data(), bytes.size());
    base64.finish();
    return out.str();
}

TEST(Base64Writer, EncodesTheStandardTestVectors)
{
    const std::vector<std::pair<std::string, std::string>> vectors = {{"", ""},
                                                                      {"f", "Zg=="},
                                                                      {"fo", "Zm8="},
                                                                      {"foo", "Zm9v"},
                                                                      {"foob", "Zm9vYg=="},
                                                                      {"fooba", "Zm9vYmE="},
                                                                      {"foobar", "Zm9vYmFy"},
                                                                      {std::string("\xFB\xFF\xBF", 3), "+/+/"}};
    for (const auto& [bytes, text] : vectors)
        EXPECT_EQ(encoded(bytes), text) << bytes;
}

// Pieces of any size, across the writer's own buffer, give the text of the whole written at once.
TEST(Base64Writer, PiecesOfAnySizeEncodeAsTheWhole)
{
    std::mt19937 random(7);
    std::string bytes(300001, '\0');
    for (char& b : bytes)
        b = static_cast<char>(random());
    const std::string whole = encoded(bytes);
    ASSERT_EQ(whole.size(), (bytes.size() + 2) / 3 * 4);

    std::ostringstream out;
    vdcBase64Writer base64(out);
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t n =
            std::min<std::size_t>(bytes.size() - at, random() % 7 == 0 ? random() % 70000 : random() % 5);
        base64.write(bytes.data() + at, n);
        at += n;
    }
    base64.finish();
    EXPECT_EQ(out.str(), whole);
    EXPECT_EQ(base64.bytes_written(), bytes.size());
}

}  // namespace
