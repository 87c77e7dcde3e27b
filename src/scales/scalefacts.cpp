#include "scales/scalefacts.h"

#include "platform/atomicfile.h"
#include "platform/inidocument.h"

#include <QDir>
#include <QFileInfo>

#include <optional>

namespace scales {

namespace {

const QString kSectionPrefix = QStringLiteral("Scale ");
const QString kName = QStringLiteral("Name");
const QString kSize = QStringLiteral("CalibratedSize");
const QString kCamera = QStringLiteral("Camera");

} // namespace

ScaleFacts::ScaleFacts(QString path) : path_(std::move(path)) {}

QString ScaleFacts::pathFor(const QString &storeFile)
{
    return QFileInfo(storeFile).dir().filePath(QStringLiteral("ScaleData_Calibration.ini"));
}

QStringList ScaleFacts::load()
{
    facts_.clear();
    QStringList problems;
    if (path_.isEmpty() || !QFileInfo::exists(path_))
        return problems;
    const std::optional<platform::IniDocument> doc = platform::IniDocument::load(path_);
    if (!doc) {
        problems << path_ + QStringLiteral(": cannot be read; the scales' calibrated sizes are not known");
        return problems;
    }
    for (const QString &section : doc->sections()) {
        if (!section.startsWith(kSectionPrefix, Qt::CaseInsensitive))
            continue;
        const QString name = doc->value(section, kName).value_or(QString());
        if (name.isEmpty()) {
            problems << QStringLiteral("%1: [%2] has no Name; left out").arg(path_, section);
            continue;
        }
        ScaleFact f;
        if (const auto size = doc->value(section, kSize)) {
            if (const auto parsed = platform::parseProfileSize(*size))
                f.calibratedSize = *parsed;
            else
                problems << QStringLiteral("%1: [%2] CalibratedSize=%3: not a size such as 1600x1200; left out")
                                .arg(path_, section, *size);
        }
        f.cameraKey = doc->value(section, kCamera).value_or(QString());
        if (!f.empty() && !facts_.count(name))
            facts_[name] = f;
    }
    return problems;
}

std::error_code ScaleFacts::write() const
{
    if (path_.isEmpty())
        return {};
    platform::IniDocument doc;
    int n = 0;
    for (const auto &[name, f] : facts_) {
        const QString section = kSectionPrefix + QString::number(++n);
        doc.setValue(section, kName, name);
        if (!f.calibratedSize.isEmpty())
            doc.setValue(section, kSize,
                         QStringLiteral("%1x%2").arg(f.calibratedSize.width()).arg(f.calibratedSize.height()));
        if (!f.cameraKey.isEmpty())
            doc.setValue(section, kCamera, f.cameraKey);
    }
    const QByteArray bytes = doc.serialize();
    return platform::writeFileAtomically(path_, bytes.constData(), std::size_t(bytes.size()));
}

ScaleFact ScaleFacts::fact(const QString &name) const
{
    const auto it = facts_.find(name);
    return it == facts_.end() ? ScaleFact{} : it->second;
}

void ScaleFacts::set(const QString &name, const ScaleFact &fact)
{
    if (fact.empty())
        facts_.erase(name);
    else
        facts_[name] = fact;
}

void ScaleFacts::rename(const QString &from, const QString &to)
{
    const auto it = facts_.find(from);
    if (it == facts_.end() || from == to)
        return;
    const ScaleFact f = it->second;
    facts_.erase(it);
    facts_[to] = f;
}

void ScaleFacts::retain(const QStringList &names)
{
    for (auto it = facts_.begin(); it != facts_.end();)
        it = names.contains(it->first) ? std::next(it) : facts_.erase(it);
}

} // namespace scales
