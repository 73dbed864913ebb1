#include <signal.h>

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>

#include "cli/Batch.h"
#include "cli/Console.h"
#include "cli/Options.h"
#include "cli/StopSignals.h"
#include "encoder/BuiltinEncoder.h"

int main(int argc, char** argv) {
    const cli::ParsedCommandLine parsed = cli::ParseCommandLine(std::vector<std::string>(argv, argv + argc));
    if (!parsed.run) {
        std::fputs(parsed.out.c_str(), stdout);
        std::fputs(parsed.err.c_str(), stderr);
        return parsed.exitCode;
    }
    // A reader that goes away (a closed pipe, a dropped ssh connection) must not kill the run half-way:
    // the results are then lost, but the encodes under way end as usual and leave nothing behind.
    ::signal(SIGPIPE, SIG_IGN);
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quenzor-convert"));
    encoder::QuietLibavLogging();
    // A stop of our own rather than the encoder's signal handling, which ends the program inside the
    // handler: this way the claims go too, every file gets its line, and the exit status tells the signal.
    cli::StopSignals stopSignals;
    cli::Console console(parsed.options.json, parsed.options.quiet);
    cli::Batch batch(parsed.options, console);
    QObject::connect(&stopSignals, &cli::StopSignals::Received, &batch, &cli::Batch::Stop);
    QObject::connect(
        &batch, &cli::Batch::Finished, &application, [](int code) { QCoreApplication::exit(code); },
        Qt::QueuedConnection);
    QTimer::singleShot(0, &batch, &cli::Batch::Start);
    return QCoreApplication::exec();
}
