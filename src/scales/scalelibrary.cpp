#include "scales/scalelibrary.h"

#include <algorithm>

namespace scales {

ScaleLibrary::ScaleLibrary(Deps deps)
    : deps_(std::move(deps)), store_(deps_.storeFile, deps_.markerFile, deps_.log)
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

void ScaleLibrary::open()
{
    report(store_.open(texts()));
    selected_ = 0;
    select(0);
}

void ScaleLibrary::reload()
{
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
    applyDetectedMonitorWidth(current_, detectedMonitorWidthCm());
    return rebuilt;
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
    s.manualMonitorWidthCm = s.pendingManualMonitorWidthCm = detectedMonitorWidthCm();
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
    store_.rename(selected_, name);
    current_.name = name;
    return write();
}

std::error_code ScaleLibrary::removeSelected()
{
    if (selected_ < kBuiltInScales || selected_ >= store_.count())
        return {};
    store_.remove(selected_);
    select(selected_ - 1);
    return write();
}

std::error_code ScaleLibrary::saveSelected(const ScaleControls &controls)
{
    storeControls(controls, selected_ + 1, current_);
    current_.name = store_.names().value(selected_);
    store_.setScaleAt(selected_, current_);
    return write();
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
