#include <gtest/gtest.h>

#include "core/output_name.h"

using quorvel::outputNameFor;

TEST(OutputName, ReplacesTheLastFourCharacters) {
    EXPECT_EQ(outputNameFor("/job/A1.tmp"), "/job/A1.dat");
    EXPECT_EQ(outputNameFor("/job/A1.sdr"), "/job/A1.dat");
    EXPECT_EQ(outputNameFor("/job/A1.dat"), "/job/A1.out");
    EXPECT_EQ(outputNameFor("/job/A1.DAT"), "/job/A1.dat");  // case counts
    EXPECT_EQ(outputNameFor("OBSERVE"), "OBS.dat");          // no extension: cut all the same
    EXPECT_EQ(outputNameFor("ABCD"), ".dat");
    EXPECT_EQ(outputNameFor(".dat"), ".out");
}

TEST(OutputName, ShortAndEmptyNames) {
    EXPECT_EQ(outputNameFor(""), "");
    EXPECT_EQ(outputNameFor("A"), "A.dat");
    EXPECT_EQ(outputNameFor("ABC"), "ABC.dat");
}

TEST(OutputName, CountsCharactersNotBytes) {
    // "é" is two bytes but one character.
    EXPECT_EQ(outputNameFor("Süd"), "Süd.dat");
    EXPECT_EQ(outputNameFor("/Ü/x.däs"), "/Ü/x.dat");
    EXPECT_EQ(outputNameFor("/x/abcé"), "/x/.dat");
    // A stray byte that is not UTF-8 counts as one character.
    EXPECT_EQ(outputNameFor(std::string("ab\xff") + "cdef"), "ab\xff.dat");
}
