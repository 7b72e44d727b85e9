#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "listing.h"
#include "model/cif_reader.h"
#include "model/messages.h"
#include "model/model.h"
#include "model/text.h"
#include "reports/results.h"

namespace kevo {
namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << "missing fixture " << path;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(Listing, HaliteAsTheAtomGridShowsIt) {
    auto m = Model::Create();
    RecordingSink msg;
    ASSERT_TRUE(ReadCifFile(KEVO_SOURCE_DIR "/examples/halite_NaCl_COD1000041.cif", *m, msg));
    EXPECT_TRUE(msg.texts.empty());
    EXPECT_EQ(StructureListing(*m), ReadFile(KEVO_TEST_DATA_DIR "/listing/halite.txt"));
}

TEST(Listing, PaddingCountsCharacters) {
    EXPECT_EQ(TextLength("Å3"), 2);
    EXPECT_EQ(PadLeft("Δ", 3), "  Δ");
    EXPECT_EQ(PadRight("Å", 2), "Å ");
    EXPECT_EQ(PadRight("long", 2), "long");
}

} // namespace
} // namespace kevo
