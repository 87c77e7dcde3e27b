#include "cameramemory.h"

#include "platform/atomicfile.h"
#include "platform/inidocument.h"

#include <QFile>
#include <QFileInfo>

namespace state {
namespace {

const QString kGeneral = QStringLiteral("Cameras");
const QString kShowAll = QStringLiteral("ShowAllCameras");
const QString kLast = QStringLiteral("LastCamera");
const QString kCameraPrefix = QStringLiteral("Camera ");
const QString kName = QStringLiteral("Name");
const QString kFormat = QStringLiteral("Format");
const QString kSize = QStringLiteral("Size");
const QString kRate = QStringLiteral("FrameRate");
const QString kMjpg = QStringLiteral("MjpgPreview");
const QString kFlip = QStringLiteral("Flip");
const QString kScale = QStringLiteral("Scale");
const QString kControlPrefix = QStringLiteral("Control.");

std::optional<platform::FourCC> parseFourcc(const QString &text)
{
    if (text.size() != 4)
        return std::nullopt;
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            return std::nullopt;
    const QByteArray b = text.toLatin1();
    return platform::fourcc(b[0], b[1], b[2], b[3]);
}

// "30/1" frames per so many seconds; "0/1" is "whatever the camera gives".
std::optional<platform::FrameRate> parseRate(const QString &text)
{
    const QStringList parts = text.split(u'/');
    if (parts.size() != 2)
        return std::nullopt;
    bool okN = false, okD = false;
    const int n = parts[0].toInt(&okN), d = parts[1].toInt(&okD);
    if (!okN || !okD || n < 0 || d <= 0)
        return std::nullopt;
    return platform::FrameRate{n, d};
}

QString boolText(bool b) { return b ? QStringLiteral("1") : QStringLiteral("0"); }

class Reader
{
public:
    Reader(const platform::IniDocument &doc, const QString &fileName, QStringList &problems)
        : doc_(doc), file_(fileName), problems_(problems)
    {
    }
    void problem(const QString &section, const QString &key, const QString &value, const char *why)
    {
        problems_ << QStringLiteral("%1: [%2] %3=%4: %5; left out").arg(file_, section, key, value, QLatin1String(why));
    }
    std::optional<QString> text(const QString &section, const QString &key) const { return doc_.value(section, key); }
    std::optional<bool> flag(const QString &section, const QString &key)
    {
        const auto v = doc_.value(section, key);
        if (!v)
            return std::nullopt;
        const auto b = platform::parseProfileBool(*v);
        if (!b)
            problem(section, key, *v, "not a number");
        return b;
    }

    CameraRecord record(const QString &section)
    {
        CameraRecord r;
        r.name = text(section, kName).value_or(QString());
        readFormat(section, r);
        if (const auto v = text(section, kFlip)) {
            const auto flip = platform::parseProfileInt(*v);
            if (flip && *flip >= 0 && *flip <= 3)
                r.flipMode = *flip;
            else
                problem(section, kFlip, *v, "not an orientation (0 to 3)");
        }
        if (const auto v = text(section, kScale); v && !v->isEmpty())
            r.scale = *v;
        for (const QString &key : doc_.keys(section)) {
            if (!key.startsWith(kControlPrefix, Qt::CaseInsensitive))
                continue;
            const QString value = text(section, key).value_or(QString());
            bool okId = false;
            const uint id = key.mid(kControlPrefix.size()).toUInt(&okId, 16);
            const auto v = platform::parseProfileInt(value);
            if (!okId || id == 0 || !v)
                problem(section, key, value, "not a control id and a number");
            else
                r.controls[id] = *v;
        }
        return r;
    }

private:
    void readFormat(const QString &section, CameraRecord &r)
    {
        const auto code = text(section, kFormat);
        const auto size = text(section, kSize);
        if (!code && !size)
            return;
        const auto fourcc = code ? parseFourcc(*code) : std::nullopt;
        const auto wh = size ? platform::parseProfileSize(*size) : std::nullopt;
        if (!fourcc) {
            problem(section, kFormat, code.value_or(QString()), "not a four-character pixel format");
            return;
        }
        if (!wh) {
            problem(section, kSize, size.value_or(QString()), "not a size such as 1600x1200");
            return;
        }
        RememberedFormat f;
        f.format.code = *fourcc;
        f.format.width = wh->width();
        f.format.height = wh->height();
        f.format.rate = {0, 1};
        if (const auto rate = text(section, kRate)) {
            if (const auto parsed = parseRate(*rate))
                f.format.rate = *parsed;
            else
                problem(section, kRate, *rate, "not a frame rate such as 30/1");
        }
        f.mjpgPreview = flag(section, kMjpg).value_or(false);
        r.format = f;
    }

    const platform::IniDocument &doc_;
    QString file_;
    QStringList &problems_;
};

} // namespace

CameraMemory::CameraMemory(QString path) : path_(std::move(path)) {}

CameraMemory::~CameraMemory() = default;

QStringList CameraMemory::load()
{
    QStringList problems;
    records_.clear();
    readOnly_ = false;
    if (!QFileInfo::exists(path_))
        return problems;
    std::optional<platform::IniDocument> doc = platform::IniDocument::load(path_);
    if (!doc) {
        QFile f(path_);
        f.open(QIODevice::ReadOnly);
        readOnly_ = true;
        problems << QStringLiteral("%1: cannot be read (%2); the cameras' settings are not written in this run")
                        .arg(path_, f.errorString());
        return problems;
    }
    Reader reader(*doc, path_, problems);
    showAll_ = reader.flag(kGeneral, kShowAll).value_or(true);
    lastCamera_ = reader.text(kGeneral, kLast).value_or(QString());
    for (const QString &section : doc->sections())
        if (section.startsWith(kCameraPrefix, Qt::CaseInsensitive) && section.size() > kCameraPrefix.size())
            records_[section.mid(kCameraPrefix.size())] = reader.record(section);
    document_ = std::make_unique<platform::IniDocument>(std::move(*doc));
    return problems;
}

bool CameraMemory::save(QString &error)
{
    if (readOnly_) {
        error = QStringLiteral("%1: not written, it could not be read at start").arg(path_);
        return false;
    }
    platform::IniDocument doc = document_ ? *document_ : platform::IniDocument();
    doc.setValue(kGeneral, kShowAll, boolText(showAll_));
    doc.setValue(kGeneral, kLast, lastCamera_);
    for (const auto &[key, r] : records_) {
        const QString section = kCameraPrefix + key;
        doc.setValue(section, kName, r.name);
        if (r.format) {
            const platform::CaptureFormat &f = r.format->format;
            doc.setValue(section, kFormat, platform::fourccText(f.code));
            doc.setValue(section, kSize, QStringLiteral("%1x%2").arg(f.width).arg(f.height));
            doc.setValue(section, kRate, QStringLiteral("%1/%2").arg(f.rate.numerator).arg(f.rate.denominator));
            doc.setValue(section, kMjpg, boolText(r.format->mjpgPreview));
        }
        if (r.flipMode)
            doc.setValue(section, kFlip, QString::number(*r.flipMode));
        if (r.scale)
            doc.setValue(section, kScale, *r.scale);
        for (const auto &[id, value] : r.controls)
            doc.setValue(section, kControlPrefix + QStringLiteral("%1").arg(id, 8, 16, QLatin1Char('0')), QString::number(value));
    }
    const QByteArray bytes = doc.serialize();
    if (const std::error_code e = platform::writeFileAtomically(path_, bytes.constData(), std::size_t(bytes.size()))) {
        error = QStringLiteral("%1: not written: %2").arg(path_, QString::fromStdString(e.message()));
        return false;
    }
    document_ = std::make_unique<platform::IniDocument>(std::move(doc));
    return true;
}

const CameraRecord *CameraMemory::find(const QString &key) const
{
    const auto it = records_.find(key);
    return it == records_.end() ? nullptr : &it->second;
}

CameraRecord &CameraMemory::recordFor(const QString &key) { return records_[key]; }

CameraRecord *CameraMemory::current() { return currentKey_.isEmpty() ? nullptr : &recordFor(currentKey_); }

} // namespace state
