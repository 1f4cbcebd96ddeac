// Both place-database back ends, each open on a scratch database holding
// these places, for the query and edit tests.
#pragma once

#include "placedb.h"

#include "database/connection.h"

#include <terrafind/terrafind.h>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;

// Regions 1 and 2 overlap on x 20..30; region 3 is a single pixel without
// countries. Egypt (2) is linked to regions 1 and 2, Chad (3) to region 1,
// Saudi Arabia (1) to region 2. Chad has no cities; Orphan no country.
inline constexpr char kPlaces[] = R"sql(
INSERT INTO Region VALUES (1, 0, 0, 30, 20), (2, 20, 0, 60, 20), (3, 100, 100, 100, 100);
INSERT INTO Country VALUES (1, 'Saudi Arabia', 'السعودية', 3), (2, 'egypt', 'مصر', 4), (3, 'Chad', 'تشاد', 4),
                           (4, 'Nameless', NULL, NULL);
INSERT INTO Region2County VALUES (1, 2), (1, 3), (2, 1), (2, 2);
INSERT INTO City VALUES (1, 'Riyadh', 'الرياض', 46, 43, 24, 38, 30, 1), (2, 'Makkah', 'مكة', 39, 49, 21, 25, 30, 1),
                        (3, 'Jeddah', 'جدة', 39, 10, 21, 32, 30, 1), (4, 'Abha', 'أبها', 42, 30, 18, 13, 30, 1),
                        (5, 'Cairo', 'القاهرة', 31, 14, 30, 3, 20, 2), (6, 'Orphan', 'يتيم', 1, 2, 3, 4, 5, 99);
)sql";

template <typename Backend>
class Places : public ::testing::Test {
protected:
    Places()
    {
        m_db.Use();
        m_places = std::make_unique<Backend>();
        EXPECT_EQ(m_places->Init(), 1);
    }
    ~Places() override { SetStatementTrace({}); }

    CEnvironmentGuard m_environment;
    CScratchPlaceDb m_db{kPlaces};
    std::unique_ptr<Backend> m_places;
};

using DatabaseBackends = ::testing::Types<CTerrafind30, CTerrafind31>;
TYPED_TEST_SUITE(Places, DatabaseBackends);
