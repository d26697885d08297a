// SPDX-License-Identifier: MIT
// velmora-bench: speed and memory of the program's heavy operations.
//   velmora-bench                 runs every section
//   velmora-bench <name>...       runs the named sections
//   velmora-bench --child <name> <args>...   one measured operation (used internally)
#include "Bench.h"

#include <QApplication>

#include <cstdio>
#include <cstring>

using velmora::bench::BenchSection;

// Each section is defined in Bench<Name>.cpp as `BenchSection <Name>BenchSection()`.
// Adding one is one line X(<Name>) in this list.
#define VELMORA_BENCH_SECTIONS(X)                                                                  \
    X(Pictures)                                                                                    \
    X(ListFile)                                                                                    \
    X(Registration)                                                                                \
    X(Memory)                                                                                      \
    X(Startup)                                                                                     \
    // end of the list

#define VELMORA_DECLARE_SECTION(name) BenchSection name##BenchSection();
#define VELMORA_LIST_SECTION(name) name##BenchSection(),
namespace velmora::bench {
VELMORA_BENCH_SECTIONS(VELMORA_DECLARE_SECTION)
}
using namespace velmora::bench;

int main(int argc, char** argv) {
    // The registration section drives the real window without a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication app(argc, argv);
    const BenchSection sections[] = {VELMORA_BENCH_SECTIONS(VELMORA_LIST_SECTION)};
    QStringList args = app.arguments().mid(1);

    if (!args.isEmpty() && args.first() == QStringLiteral("--child")) {
        if (args.size() < 2)
            return 2;
        for (const BenchSection& s : sections)
            if (QString::fromLatin1(s.name).compare(args[1], Qt::CaseInsensitive) == 0)
                return s.child(args.mid(2));
        return 2;
    }

    int failures = 0;
    bool ranAny = false;
    for (const BenchSection& s : sections) {
        const QString name = QString::fromLatin1(s.name);
        if (!args.isEmpty() && !args.contains(name, Qt::CaseInsensitive))
            continue;
        ranAny = true;
        std::printf("== %s ==\n", s.name);
        std::fflush(stdout);
        failures += s.run(args) != 0;
    }
    if (!ranAny) {
        std::fprintf(stderr, "No such section. Sections:");
        for (const BenchSection& s : sections)
            std::fprintf(stderr, " %s", s.name);
        std::fprintf(stderr, "\n");
        return 2;
    }
    return failures == 0 ? 0 : 1;
}
