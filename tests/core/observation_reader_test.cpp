#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/observation_reader.h"

using namespace quorvel;

namespace {

std::vector<std::string> linesOf(std::string_view text, std::size_t bufferSize) {
    MemoryReader in(text);
    ObservationLineReader reader(in, bufferSize);
    std::vector<std::string> lines;
    std::string_view line;
    while (reader.next(line)) lines.emplace_back(line);
    EXPECT_FALSE(reader.failed());
    EXPECT_FALSE(reader.next(line));  // stays at the end
    return lines;
}

using Lines = std::vector<std::string>;

// Fails after handing out `good` bytes.
class BrokenReader final : public ByteReader {
public:
    explicit BrokenReader(std::string data) : m_data(std::move(data)) {}
    std::size_t read(char* buf, std::size_t n) override {
        if (m_pos >= m_data.size()) {
            m_failed = true;
            return 0;
        }
        const std::size_t k = std::min(n, m_data.size() - m_pos);
        std::copy_n(m_data.data() + m_pos, k, buf);
        m_pos += k;
        return k;
    }
    bool failed() const override { return m_failed; }

private:
    std::string m_data;
    std::size_t m_pos = 0;
    bool m_failed = false;
};

}  // namespace

TEST(ObservationLineReader, EveryLineEndAndEveryBufferSplit) {
    const struct {
        std::string text;
        Lines lines;
    } cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"a\r", {"a"}},
        {"a\n", {"a"}},
        {"\r\n", {""}},
        {"a\r\nb\rc\nd", {"a", "b", "c", "d"}},
        {"a\n\rb", {"a", "", "b"}},  // LF then CR: two line ends
        {"a\r\r\nb\r\n\r\n", {"a", "", "b", ""}},
        {"\n\n", {"", ""}},
        {std::string("x\x80\xff\t\x1a\x00y\r\n", 9), {std::string("x\x80\xff\t\x1a\x00y", 7)}},
    };
    // Small buffers put a CR at the end of one read and its LF at the start of the next.
    for (const auto& c : cases)
        for (std::size_t size : {1u, 2u, 3u, 5u, 64u * 1024})
            EXPECT_EQ(linesOf(c.text, size), c.lines) << "buffer " << size;
}

TEST(ObservationLineReader, LinesLongerThanTheBuffer) {
    const std::string longLine(10000, 'q');
    EXPECT_EQ(linesOf(longLine + "\r\nz", 16), (Lines{longLine, "z"}));
    EXPECT_EQ(linesOf("z\n" + longLine, 16), (Lines{"z", longLine}));
}

TEST(ObservationLineReader, ReadFailureEndsTheLines) {
    BrokenReader in("a\r\nb");
    ObservationLineReader reader(in, 2);
    std::string_view line;
    ASSERT_TRUE(reader.next(line));
    EXPECT_EQ(line, "a");
    EXPECT_TRUE(reader.next(line));  // what arrived before the failure
    EXPECT_FALSE(reader.next(line));
    EXPECT_TRUE(reader.failed());
}
