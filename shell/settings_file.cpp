#include "settings_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>

namespace SettingsFile {

namespace {

// Beyond this no screen reaches (the X11 coordinate limit, in twips); a
// larger value is a damaged file, not a position.
constexpr double kLargestTwips = 32767.0 * 15;

// The file stores single-precision numbers.
QByteArray number(double value)
{
    const float single = float(value);
    if (single == std::trunc(single))
        return QByteArray::number(qint64(single));
    QByteArray text = QByteArray::number(double(single), 'f', 6);
    while (text.endsWith('0'))
        text.chop(1);
    return text;
}

// A value as a message may quote it: short and printable, or not at all.
QString quoted(const QByteArray &text)
{
    const bool printable = std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7f; });
    if (!printable || text.size() > 24)
        return QStringLiteral("a value");
    return QLatin1Char('"') + QString::fromLatin1(text) + QLatin1Char('"');
}

std::optional<double> value(QByteArray text, QString *problem)
{
    text = text.trimmed();
    if (text.isEmpty()) {
        *problem = QStringLiteral("a value is missing");
        return std::nullopt;
    }
    bool ok = false;
    const double parsed = text.toDouble(&ok);
    if (!ok || !std::isfinite(parsed)) {
        *problem = QStringLiteral("%1 is not a number").arg(quoted(text));
        return std::nullopt;
    }
    if (std::fabs(parsed) > kLargestTwips) {
        *problem = QStringLiteral("%1 is far beyond any screen").arg(quoted(text));
        return std::nullopt;
    }
    return parsed;
}

}  // namespace

QString location(const QString &executableDir, const QString &configDir)
{
    const QFileInfo portable(QDir(executableDir).filePath(QLatin1String(kFileName)));
    if (portable.isFile() && portable.isWritable())
        return portable.filePath();
    return QDir(configDir).filePath(QLatin1String(kFileName));
}

QString location()
{
    return location(QCoreApplication::applicationDirPath(),
                    QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
}

QByteArray format(QPointF twips)
{
    return number(twips.x()) + ',' + number(twips.y()) + "\r\n";
}

std::optional<QPointF> parse(const QByteArray &content, QString *problem)
{
    const qsizetype end = content.indexOf('\n');
    QByteArray line = end < 0 ? content : content.left(end);
    if (line.endsWith('\r'))
        line.chop(1);
    if (line.trimmed().isEmpty()) {
        *problem = QStringLiteral("it is empty");
        return std::nullopt;
    }
    const QList<QByteArray> values = line.split(',');
    if (values.size() < 2) {
        *problem = QStringLiteral("it holds one value, not two");
        return std::nullopt;
    }
    const std::optional<double> x = value(values[0], problem);
    if (!x)
        return std::nullopt;
    const std::optional<double> y = value(values[1], problem);
    if (!y)
        return std::nullopt;
    return QPointF(*x, *y);
}

std::optional<QPointF> read(const QString &path, QString *problem)
{
    QFile file(path);
    if (!file.exists()) {
        problem->clear();
        return std::nullopt;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        *problem = file.errorString();
        return std::nullopt;
    }
    // The line is short; a huge file is damaged anyway.
    return parse(file.read(4096), problem);
}

bool write(const QString &path, QPointF twips, QString *error)
{
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath())) {
        *error = QStringLiteral("cannot create the folder %1").arg(info.absolutePath());
        return false;
    }
    QSaveFile file(path);
    const QByteArray line = format(twips);
    if (!file.open(QIODevice::WriteOnly) || file.write(line) != line.size() || !file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

}  // namespace SettingsFile
