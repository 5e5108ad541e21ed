#include "pages/BandCut.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

// Random bands out of random images against the rows copied one by one: the rows above the band
// stay, the rows below move up by its height, white comes in at the foot; a band that is no band
// changes nothing.
TEST(BandCut, RemovesTheBandAndWhitensTheFoot) {
    std::mt19937 rng(7);
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution(lo, hi)(rng); };
    for (int round = 0; round < 300; ++round) {
        const int height = pick(1, 60);
        const qsizetype rowBytes = pick(1, 13);
        std::vector<uchar> image(size_t(rowBytes * height));
        for (uchar& b : image)
            b = uchar(pick(0, 0xFE));
        const int to = pick(-5, height + 2);
        const int from = pick(-5, height + 2);

        std::vector<uchar> expected = image;
        const bool cuts = from < height && from > std::max(0, to);
        if (cuts) {
            std::vector<std::vector<uchar>> rows;
            for (int r = 0; r < height; ++r) {
                if (r < std::max(0, to) || r >= from)
                    rows.emplace_back(image.begin() + rowBytes * r,
                                      image.begin() + rowBytes * (r + 1));
            }
            while (int(rows.size()) < height)
                rows.emplace_back(size_t(rowBytes), uchar(0xFF));
            expected.clear();
            for (const auto& row : rows)
                expected.insert(expected.end(), row.begin(), row.end());
        }
        EXPECT_EQ(BandCut::Cut(image.data(), rowBytes, height, to, from), cuts)
            << to << ".." << from << " of " << height;
        ASSERT_EQ(image, expected) << to << ".." << from << " of " << height;
    }
}
