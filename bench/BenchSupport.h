#pragma once
#include <sys/resource.h>

#include <QEventLoop>
#include <QObject>
#include <QTimer>
#include <string>

#include "settings/Settings.h"

// CPU time of the whole process so far, user and system, in seconds.
inline double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The audiences a converter is usually set up with: 56K modem and 256K DSL, as one SureStream file.
inline settings::TSettings UsualAudiences(const std::string& tempDirectory) {
    settings::TSettings s;
    s.Modem56K = true;
    s.DSLCableModem256K = true;
    s.filetype = 1;
    s.TempDirectory = tempDirectory;
    return s;
}

// Spins the event loop until `done` holds, checking every millisecond.
template <typename Done>
void WaitUntil(Done done) {
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    poll.start(1);
    if (!done())
        loop.exec();
}
