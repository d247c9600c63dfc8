#include "wickett_process.h"

#include <QProcess>

namespace wickett::testing {

WickettRun RunWickett(const QProcessEnvironment& environment) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral(WICKETT_EXECUTABLE), {});
    WickettRun run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.crashed = process.exitStatus() != QProcess::NormalExit;
    run.exitCode = process.exitCode();
    run.output = process.readAll();
    return run;
}

}  // namespace wickett::testing
