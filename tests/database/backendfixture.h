// A back end of type Backend, open on a scratch database filled with rows,
// for the tests that run the same cases on both database back ends.
#pragma once

#include "placedb.h"

#include "database/provider.h"

#include <terrafind/terrafind.h>

#include <gtest/gtest.h>

#include <memory>

template <typename Backend>
class CBackendTest : public ::testing::Test {
protected:
    explicit CBackendTest(const char* rows) : m_db(rows)
    {
        m_db.Use();
        m_places = std::make_unique<Backend>();
        EXPECT_EQ(m_places->Init(), 1);
    }
    ~CBackendTest() override { CProviderRegistry::Instance().SetStatementTrace({}); }

    // Statement texts the provider receives from here on.
    QStringList& Traced()
    {
        CProviderRegistry::Instance().SetStatementTrace([this](const QString& s) { m_traced.append(s); });
        return m_traced;
    }

    CEnvironmentGuard m_environment;
    CScratchPlaceDb m_db;
    std::unique_ptr<Backend> m_places;
    QStringList m_traced;
};

using DatabaseBackends = ::testing::Types<CTerrafind30, CTerrafind31>;
