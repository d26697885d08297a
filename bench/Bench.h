// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace velmora::bench {

// One part of the benchmark. run() measures and prints; child() performs one measured
// operation inside a child process started by RunSelf, so that its peak memory is its own.
struct BenchSection {
    const char* name;
    int (*run)(const QStringList& args);
    int (*child)(const QStringList& args);
};

struct ChildResult {
    double wallSeconds = 0; // from start to exit of the program
    double opSeconds = -1;  // what the child reported with ReportOpSeconds, if anything
    long peakRssKiB = 0;    // ru_maxrss of the program alone
    int exitStatus = -1;    // exit code, or -1 when it did not exit normally
    QByteArray output;      // its standard output
};

// Starts program with args through velmora-bench-launch, waits for it and measures it.
ChildResult RunChild(const QString& program, const QStringList& args);
// Runs this program's `--child <section> args...`.
ChildResult RunSelf(const QString& section, const QStringList& args);
// The best (fastest) of count runs; the peak memory is the largest seen.
ChildResult BestOf(int count, const std::function<ChildResult()>& run);

// Printed by a child so that the parent can tell the operation's own time from start-up.
void ReportOpSeconds(double seconds);
double NowSeconds();

QString Mib(long kib);

// The plain floor a list file's writer and reader are held against: what a program with no
// format of its own would do. Fields joined at commas, CR LF after each line.
std::string PlainFormat(const std::vector<std::vector<std::string>>& lines);
// Temporary file, write, fsync, rename over path, fsync of the folder: as durable as ours.
void PlainDurableWrite(const std::string& path, const std::string& data);
// std::getline, then a split at the commas; the number of fields read.
std::size_t GetlineSplit(const std::string& path);
QString Ms(double seconds);

} // namespace velmora::bench
