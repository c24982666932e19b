#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/capture.h"

using namespace quorvel;
using namespace std::string_literals;

namespace {

/// Hands out at most `step` bytes per read, so line ends fall across reads.
class TrickleReader final : public ByteReader {
public:
    TrickleReader(std::string data, std::size_t step, std::size_t failAt = std::string::npos)
        : m_data(std::move(data)), m_step(step), m_failAt(failAt) {}
    std::size_t read(char* buf, std::size_t n) override {
        if (m_pos >= m_failAt) {
            m_failed = true;
            return 0;
        }
        std::size_t k = std::min({n, m_step, m_data.size() - m_pos});
        if (m_failAt != std::string::npos) k = std::min(k, m_failAt - m_pos);
        std::copy_n(m_data.data() + m_pos, k, buf);
        m_pos += k;
        return k;
    }
    bool failed() const override { return m_failed; }

private:
    std::string m_data;
    std::size_t m_step;
    std::size_t m_failAt;
    std::size_t m_pos = 0;
    bool m_failed = false;
};

/// Accepts `room` bytes, then refuses.
class FullDiskWriter final : public ByteWriter {
public:
    explicit FullDiskWriter(std::size_t room) : m_room(room) {}
    bool write(const char* data, std::size_t n) override {
        if (n > m_room) return false;
        out.append(data, n);
        m_room -= n;
        return true;
    }
    std::string out;

private:
    std::size_t m_room;
};

std::vector<std::string> splitLines(const std::string& data, std::size_t step, std::size_t buffer) {
    TrickleReader in(data, step);
    CaptureLineReader reader(in, buffer);
    std::vector<std::string> lines;
    std::string line;
    while (reader.next(line)) lines.push_back(line);
    return lines;
}

std::string copied(const std::string& capture, CopyResult* result = nullptr) {
    MemoryReader in(capture);
    std::string out;
    StringWriter w(out);
    const CopyResult r = copyRawData(in, w);
    if (result) *result = r;
    return out;
}

}  // namespace

TEST(CaptureLines, LineEndsWhereverTheReadsSplitThem) {
    using Lines = std::vector<std::string>;
    const struct {
        std::string data;
        Lines lines;
    } cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\nb", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},  // a line end at the very end adds nothing
        {"a\r\n", {"a"}},
        {"a\nb\r\n", {"a\nb"}},  // a lone LF is a character
        {"\n", {"\n"}},
        {"a\r\n\nb", {"a", "\nb"}},  // only the first LF belongs to the line end
        {"a\n\rb", {"a\n", "b"}},    // LF CR is not a line end pair
        {"\r\n\r\n", {"", ""}},
        {"\r\r\n\r", {"", "", ""}},
        {"a\r\r\nb", {"a", "", "b"}},
        {"\x02\x03\r\n\x7f\xff"s, {"\x02\x03"s, "\x7f\xff"s}},
        {"a\0b\r\n"s, {"a\0b"s}},
    };
    for (const auto& c : cases) {
        for (std::size_t step : {1u, 2u, 3u, 64u}) {
            for (std::size_t buffer : {1u, 2u, 5u, 4096u}) {
                EXPECT_EQ(splitLines(c.data, step, buffer), c.lines)
                    << "data " << testing::PrintToString(c.data) << " step " << step << " buffer "
                    << buffer;
            }
        }
    }
}

TEST(CaptureLines, LongLinesComeInPiecesAndKeepCanCutThem) {
    const std::string longLine(100000, 'x');
    const std::string data = longLine + "\r\nshort";
    MemoryReader in(data);
    CaptureLineReader reader(in, 1000);
    ASSERT_TRUE(reader.nextLine());
    std::size_t total = 0, pieces = 0;
    for (auto p = reader.piece(); !p.empty(); p = reader.piece()) {
        EXPECT_LE(p.size(), 1000u);
        total += p.size();
        ++pieces;
    }
    EXPECT_EQ(total, longLine.size());
    EXPECT_GE(pieces, 100u);
    std::string line;
    ASSERT_TRUE(reader.next(line, 3));
    EXPECT_EQ(line, "sho");
    EXPECT_FALSE(reader.next(line));
}

TEST(CaptureLines, SkippingAHalfReadLineGoesToTheNext) {
    MemoryReader in("first line\r\nsecond\r\n");
    CaptureLineReader reader(in, 4);
    ASSERT_TRUE(reader.nextLine());
    EXPECT_EQ(reader.piece(), "firs");
    std::string line;
    ASSERT_TRUE(reader.next(line));
    EXPECT_EQ(line, "second");
}

TEST(JobRecord, NameFromColumnsFiveToTwenty) {
    const struct {
        std::string capture;
        std::optional<std::string> name;
    } cases[] = {
        {"\x02\r\n00NMSDR33 V04-04.02\r\n10NMSURVEY01        121111\r\n", "SURVEY01"},
        {"10NM  NORTH\r\n", "  NORTH"},  // leading blanks stay
        {"10NMABCDEFGHIJKLMNOPQRSTU\r\n", "ABCDEFGHIJKLMNOP"},
        {"10NMAB \r\n", "AB"},
        {"10NM\r\n", ""},
        {"10NM   \r\n", ""},
        {"10NMA\tB\t \r\n", "A\tB\t"},  // only blanks are trimmed
        {"10nmLOWER\r\n10NMUPPER\r\n", "UPPER"},
        {"10NMFIRST\r\n10NMSECOND\r\n", "FIRST"},
        {"\x02"
         "10NMSTX\r\n",
         std::nullopt},  // the STX is the line's first character
        {"\x02\r\n10NMAFTER\x03", "AFTER\x03"},
        {"x\n10NMLF\r\n", std::nullopt},  // a lone LF does not start a line
        {"10N\r\nM\r\n", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        TrickleReader in(c.capture, 3);
        EXPECT_EQ(findJobName(in), c.name) << testing::PrintToString(c.capture);
    }
}

TEST(JobRecord, FoundAfterALineLongerThanTheBuffer) {
    const std::string data = std::string(300000, 'D') + "\r\n10NMFAR\r\n";
    MemoryReader in(data);
    EXPECT_EQ(findJobName(in), "FAR");
}

TEST(JobRecord, NamesThatWouldLeaveTheFolderAreUnsafe) {
    for (const std::string& bad : {"."s, ".."s, "a/b"s, "/"s, "..\\x"s, "\\"s, "a\0b"s})
        EXPECT_FALSE(jobNameIsSafe(bad)) << testing::PrintToString(bad);
    for (const std::string good : {"", "SURVEY01", "  NORTH", "...", ".job", "a..b", "é"})
        EXPECT_TRUE(jobNameIsSafe(good)) << good;
}

TEST(RawDataCopy, KeepsLinesStartingWithAPrintableByte) {
    const std::string capture =
        "\x02"
        "00NMSDR33\r\n"  // STX first: the whole line goes
        "10NMJOB      \r\n"
        " blank first\r"
        "\r\n"  // empty: left out, the copy goes on
        "\nlf first\r\n"
        "\x7f"
        "del\r\n"
        "\xc3\xa9t\xc3\xa9\r\n"
        "~tilde\r\n"
        "\x03\r\n"
        "after etx";
    CopyResult r;
    EXPECT_EQ(copied(capture, &r), "10NMJOB      \r\n blank first\r\n~tilde\r\nafter etx\r\n");
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.linesRead, 10u);
    EXPECT_EQ(r.linesWritten, 4u);
}

TEST(RawDataCopy, EveryByteAfterAPrintableFirstIsKept) {
    std::string line = "A";
    for (int b = 0; b < 256; ++b)
        if (b != '\r') line += static_cast<char>(b);
    EXPECT_EQ(copied(line + "\r\n"), line + "\r\n");
    EXPECT_EQ(copied(line), line + "\r\n");
}

TEST(RawDataCopy, ReportsProgressPerLine) {
    MemoryReader in("a\r\n\x01\r\n\r\nb");
    std::string out;
    StringWriter w(out);
    std::vector<std::uint64_t> seen;
    copyRawData(in, w, [&](std::uint64_t n) { seen.push_back(n); });
    EXPECT_EQ(seen, (std::vector<std::uint64_t>{1, 2, 3, 4}));
}

TEST(RawDataCopy, WriteAndReadFailuresStopTheCopy) {
    const std::string capture = "first\r\nsecond\r\nthird\r\n";
    {
        MemoryReader in(capture);
        FullDiskWriter w(10);  // room for the first line only
        const CopyResult r = copyRawData(in, w);
        EXPECT_EQ(r.status, CopyResult::Status::WriteFailed);
        EXPECT_EQ(w.out, "first\r\n");
        EXPECT_EQ(r.linesWritten, 1u);
    }
    {
        TrickleReader in(capture, 4, 9);
        std::string out;
        StringWriter w(out);
        const CopyResult r = copyRawData(in, w);
        EXPECT_EQ(r.status, CopyResult::Status::ReadFailed);
        EXPECT_EQ(out.substr(0, 7), "first\r\n");
    }
}
