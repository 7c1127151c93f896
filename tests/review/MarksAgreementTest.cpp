#include "review/MarksAgreement.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

// Each case worked by hand on the table of observed counts O (rows: A's
// mark, columns: B's), the expected table E_ij = row_i · col_j / n and the
// weights w_ij = (i − j)², the scale's width left out because it cancels:
// kappa = 1 − Σ w·O / Σ w·E.
TEST(QuadraticWeightedKappa, MatchesTablesWorkedByHand) {
    using Pairs = std::vector<std::pair<double, double>>;
    struct Row {
        const char* name;
        Pairs pairs;
        std::optional<double> kappa;
    };
    const Row rows[] = {
        // O diagonal: Σ w·O = 0, so kappa = 1 whatever E is.
        {"perfect", {{1, 1}, {2, 2}, {3, 3}, {3, 3}}, 1.0},
        // Marks 0 and 10, always crossed: O = [[0,1],[1,0]], E = [[.5,.5],[.5,.5]],
        // w off the diagonal 100: Σ w·O = 200, Σ w·E = 100, kappa = 1 − 2 = −1.
        {"total disagreement", {{0, 10}, {10, 0}}, -1.0},
        // Marks 1..3, pairs (1,1) (2,3) (3,3) (3,2) (2,2): O = [[1,0,0],[0,1,1],[0,1,1]],
        // rows and columns both 1,2,2, so E = [[.2,.4,.4],[.4,.8,.8],[.4,.8,.8]].
        // Σ w·O = 1 + 1 = 2; Σ w·E = 2·(.4·1 + .4·4 + .8·1) = 5.6; kappa = 1 − 2/5.6 = 9/14.
        {"mixed", {{1, 1}, {2, 3}, {3, 3}, {3, 2}, {2, 2}}, 9.0 / 14},
        // B always one above A: (0,1) (1,2) (2,3). Σ w·O = 3; E = 1/3 at rows 0..2 and
        // columns 1..3, Σ w·E = (1+4+9 + 0+1+4 + 1+0+1)/3 = 7; kappa = 1 − 3/7 = 4/7.
        {"shifted", {{0, 1}, {1, 2}, {2, 3}}, 4.0 / 7},
        // Half marks weigh by their distance like any other: (4.5,5) (5,4.5) (3,3):
        // Σ w·O = .25 + .25 = .5; Σ w·E = Σ_i Σ_j (a_i − b_j)² / 3 with a = b = {4.5,5,3}:
        // (0 + .25 + 2.25 + .25 + 0 + 4 + 2.25 + 4 + 0) / 3 = 13/3; kappa = 1 − 1.5/13.
        {"half marks", {{4.5, 5}, {5, 4.5}, {3, 3}}, 1 - 1.5 / 13},
        // Every mark alike: Σ w·E = 0, kappa is 0/0.
        {"no spread", {{4, 4}, {4, 4}}, std::nullopt},
        {"no pairs", {}, std::nullopt},
    };
    for (const Row& row : rows) {
        const auto kappa = QuadraticWeightedKappa(row.pairs);
        ASSERT_EQ(kappa.has_value(), row.kappa.has_value()) << row.name;
        if (kappa) {
            EXPECT_NEAR(*kappa, *row.kappa, 1e-12) << row.name;
        }
    }
}

} // namespace
