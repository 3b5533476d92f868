#pragma once
// What the benchmarks share to measure each run in a fresh process: the driver starts the
// program again, reads back the figures the measuring process prints, and takes the median of
// the rounds.
#include <QCoreApplication>
#include <QProcess>
#include <QStringList>
#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace bench {

// This program run again with `args`, its "name value" lines read; nothing when it did not end
// normally with 0.
inline std::optional<std::map<std::string, double>> childFigures(const QStringList &args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QCoreApplication::applicationFilePath(), args);
    p.waitForFinished(-1);
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return std::nullopt;
    std::map<std::string, double> out;
    for (const QByteArray &line : p.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> kv = line.split(' ');
        if (kv.size() == 2)
            out[kv[0].toStdString()] = kv[1].toDouble();
    }
    return out;
}

// 0 for no figures.
inline double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

}
