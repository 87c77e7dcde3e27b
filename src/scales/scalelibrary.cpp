#include "scales/scalelibrary.h"

#include <algorithm>

namespace scales {

ScaleLibrary::ScaleLibrary(Deps deps)
    : deps_(std::move(deps)), store_(deps_.storeFile, deps_.markerFile, deps_.log),
      facts_(deps_.storeFile.isEmpty() ? QString() : ScaleFacts::pathFor(deps_.storeFile))
{
}

BuiltInTexts ScaleLibrary::texts() const
{
    return deps_.builtInTexts ? deps_.builtInTexts() : BuiltInTexts{};
}

float ScaleLibrary::detectedMonitorWidthCm() const
{
    return deps_.detectedMonitorWidthCm ? deps_.detectedMonitorWidthCm() : 0.0f;
}

void ScaleLibrary::logLine(const QString &line) const
{
    if (deps_.log)
        deps_.log(line);
}

std::error_code ScaleLibrary::report(std::error_code ec)
{
    if (ec && deps_.writeFailed)
        deps_.writeFailed({store_.path(), ec});
    return ec;
}

std::error_code ScaleLibrary::write()
{
    return report(store_.write());
}

std::error_code ScaleLibrary::writeFacts()
{
    facts_.retain(store_.names());
    const std::error_code ec = facts_.write();
    if (ec) {
        logLine(QStringLiteral("Scale facts not written: ") + QString::fromStdString(ec.message()));
        if (deps_.writeFailed)
            deps_.writeFailed({facts_.path(), ec});
    }
    return ec;
}

void ScaleLibrary::open()
{
    for (const QString &problem : facts_.load())
        logLine(problem);
    report(store_.open(texts()));
    selected_ = 0;
    select(0);
}

void ScaleLibrary::reload()
{
    for (const QString &problem : facts_.load())
        logLine(problem);
    report(store_.open(texts()));
    select(selected_);
}

void ScaleLibrary::retranslate()
{
    if (!store_.fileExists())
        store_.rebuild(texts());
    store_.retranslateBuiltIns(texts());
    write();
    select(selected_);
}

bool ScaleLibrary::select(int index)
{
    if (store_.count() == 0)
        return false;
    selected_ = std::clamp(index, 0, store_.count() - 1);
    std::error_code written;
    const bool rebuilt = store_.repairDamaged(selected_, texts(), &written) == ScaleStore::Repair::Rebuilt;
    report(written);
    if (rebuilt)
        selected_ = 0;
    current_ = store_.scaleAt(selected_);
    const ScaleFact fact = facts_.fact(current_.name);
    current_.calibratedSize = fact.calibratedSize;
    current_.cameraKey = fact.cameraKey;
    applyDetectedMonitorWidth(current_, detectedMonitorWidthCm());
    return rebuilt;
}

int ScaleLibrary::selectFirstOf(const QStringList &names)
{
    int index = 0;
    for (const QString &name : names)
        if (!name.isEmpty() && (index = find(name)) >= 0)
            break;
    select(std::max(index, 0));
    return selected_;
}

std::error_code ScaleLibrary::appendAndSelect(RulerScaleControl scale)
{
    store_.append(scale);
    const std::error_code ec = write();
    select(store_.count() - 1);
    return ec;
}

std::error_code ScaleLibrary::addNew(const QString &name, platform::ColorRef colour, int magnificationMode)
{
    RulerScaleControl s;
    s.name = name;
    s.unit = ScaleUnit::Millimetre;
    setLengthsFromSpin(s, ScaleUnit::Millimetre, 0, 0);
    applyStoreDefaults(s);
    s.colour = storableScaleColour(colour);
    const float detected = detectedMonitorWidthCm();
    s.manualMonitorWidthCm = s.pendingManualMonitorWidthCm = detected > 0 ? detected : current_.manualMonitorWidthCm;
    s.magnificationMode = std::max(0, magnificationMode);
    return appendAndSelect(s);
}

std::error_code ScaleLibrary::add(const RulerScaleControl &scale)
{
    RulerScaleControl s = scale;
    applyStoreDefaults(s);
    s.manualMonitorWidthCm = s.pendingManualMonitorWidthCm = detectedMonitorWidthCm();
    return appendAndSelect(s);
}

std::error_code ScaleLibrary::renameSelected(const QString &name)
{
    if (selected_ < kBuiltInScales || selected_ >= store_.count())
        return {};
    facts_.rename(current_.name, name);
    store_.rename(selected_, name);
    current_.name = name;
    const std::error_code ec = write();
    writeFacts();
    return ec;
}

std::error_code ScaleLibrary::removeSelected()
{
    if (selected_ < kBuiltInScales || selected_ >= store_.count())
        return {};
    store_.remove(selected_);
    select(selected_ - 1);
    const std::error_code ec = write();
    writeFacts();
    return ec;
}

std::error_code ScaleLibrary::saveSelected(const ScaleControls &controls, const ScaleFact *calibration)
{
    storeControls(controls, selected_ + 1, current_);
    current_.name = store_.names().value(selected_);
    store_.setScaleAt(selected_, current_);
    const std::error_code ec = write();
    const ScaleFacts before = facts_;
    if (calibration) {
        current_.calibratedSize = calibration->calibratedSize;
        current_.cameraKey = calibration->cameraKey;
        facts_.set(current_.name, *calibration);
    }
    // "Ruler Default" saved drops the user's scales, and with them their facts.
    facts_.retain(store_.names());
    if (!(facts_ == before))
        writeFacts();
    return ec;
}

bool ScaleLibrary::showDefaults()
{
    if (!store_.markerExists())
        return false;
    store_.rebuild(texts());
    select(0);
    return true;
}

void ScaleLibrary::dropDefaults()
{
    store_.load();
    if (store_.count() == 0)
        report(store_.open(texts()));
    select(selected_);
}

} // namespace scales
