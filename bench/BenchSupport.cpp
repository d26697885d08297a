// SPDX-License-Identifier: MIT
#include "Bench.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace velmora::bench {

double NowSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

void ReportOpSeconds(double seconds) {
    std::printf("op-seconds %.6f\n", seconds);
    std::fflush(stdout);
}

ChildResult RunChild(const QString& program, const QStringList& args) {
    ChildResult result;
    std::vector<QByteArray> storage;
    storage.push_back(QFile::encodeName(QCoreApplication::applicationDirPath() +
                                        QStringLiteral("/velmora-bench-launch")));
    storage.push_back(QFile::encodeName(program));
    for (const QString& a : args)
        storage.push_back(QFile::encodeName(a));
    std::vector<char*> argv;
    for (QByteArray& s : storage)
        argv.push_back(s.data());
    argv.push_back(nullptr);

    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return result;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_addclose(&actions, pipeFds[1]);

    const double start = NowSeconds();
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawned != 0) {
        close(pipeFds[0]);
        return result;
    }
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
        if (n > 0)
            result.output.append(buffer, n);
        else if (n == 0 || errno != EINTR)
            break;
    }
    close(pipeFds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.wallSeconds = NowSeconds() - start;
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    for (const QByteArray& line : result.output.split('\n'))
        if (line.startsWith("op-seconds "))
            result.opSeconds = line.mid(11).toDouble();
        else if (line.startsWith("launch-wall-seconds "))
            result.wallSeconds = line.mid(20).toDouble();
        else if (line.startsWith("launch-maxrss-kib "))
            result.peakRssKiB = line.mid(18).toLong();
    return result;
}

ChildResult RunSelf(const QString& section, const QStringList& args) {
    return RunChild(QCoreApplication::applicationFilePath(),
                    QStringList{QStringLiteral("--child"), section} + args);
}

ChildResult BestOf(int count, const std::function<ChildResult()>& run) {
    ChildResult best;
    long peak = 0;
    for (int i = 0; i < count; ++i) {
        ChildResult r = run();
        if (r.exitStatus != 0) {
            std::fprintf(stderr, "child failed (%d): %s\n", r.exitStatus, r.output.constData());
            return r;
        }
        peak = std::max(peak, r.peakRssKiB);
        const double key = r.opSeconds >= 0 ? r.opSeconds : r.wallSeconds;
        const double bestKey = best.opSeconds >= 0 ? best.opSeconds : best.wallSeconds;
        if (i == 0 || key < bestKey)
            best = r;
    }
    best.peakRssKiB = peak;
    return best;
}

QString Mib(long kib) {
    return QString::number(double(kib) / 1024.0, 'f', 1) + " MiB";
}
QString Ms(double seconds) {
    return QString::number(seconds * 1000.0, 'f', 1) + " ms";
}

std::string PlainFormat(const std::vector<std::vector<std::string>>& lines) {
    std::string out;
    for (const auto& fields : lines) {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (i != 0)
                out += ',';
            out += fields[i];
        }
        out += "\r\n";
    }
    return out;
}

void PlainDurableWrite(const std::string& path, const std::string& data) {
    const std::string temporary = path + ".plain-tmp";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    for (std::size_t done = 0; done < data.size();) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n <= 0)
            break;
        done += std::size_t(n);
    }
    ::fsync(fd);
    ::close(fd);
    ::rename(temporary.c_str(), path.c_str());
    const std::string folder = path.substr(0, path.rfind('/') + 1);
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
}

std::size_t GetlineSplit(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string line;
    std::vector<std::string> fields;
    std::size_t count = 0;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        fields.clear();
        std::size_t start = 0;
        for (std::size_t comma; (comma = line.find(',', start)) != std::string::npos;
             start = comma + 1)
            fields.emplace_back(line, start, comma - start);
        fields.emplace_back(line, start);
        count += fields.size();
    }
    return count;
}

} // namespace velmora::bench
