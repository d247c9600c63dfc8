#pragma once

#include <QProcessEnvironment>
#include <QString>

namespace wickett::testing {

// One run of the real wickett program.
struct WickettRun {
    int exitCode = -1;
    bool crashed = true;
    QByteArray output;  // stdout and stderr together
};

// Runs wickett with `environment` (its system bus and PATH come from there).
WickettRun RunWickett(const QProcessEnvironment& environment);

}  // namespace wickett::testing
