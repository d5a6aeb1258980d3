#pragma once

#include <QString>

// Folder of the test's own fixtures (tests/data).
QString testDataPath(const QString& relative);
