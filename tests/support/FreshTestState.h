#pragma once

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QVariantMap>

// Gives every test the state a fresh process would: a settings file of its
// own with the registered defaults as they were before the test, an empty
// clipboard, no scripted answers to alerts and no picture read ahead. It
// puts them back when the test ends, so a value one test stores (a recorded
// canvas size, an address, a counter) never reaches the next one, whatever
// order the tests run in.
class FreshTestState : public ::testing::EmptyTestEventListener {
public:
    FreshTestState();

    void OnTestStart(const ::testing::TestInfo& test) override;
    void OnTestEnd(const ::testing::TestInfo& test) override;

private:
    QString betweenTestsFile() const;

    QTemporaryDir m_folder;
    QVariantMap m_registered;
    QString m_current;
    int m_serial = 0;
};
