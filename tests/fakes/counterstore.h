#pragma once

#include "library/capturenumber.h"
#include "state/globalvar.h"

namespace fakes {

// The capture counters kept in a settings record, as the program keeps them; `stores` counts
// the numbers stored (each is written to disk in the program).
struct SettingsCounterStore final : library::CounterStore {
    state::DefaultData &data;
    int &stores;
    SettingsCounterStore(state::DefaultData &d, int &s) : data(d), stores(s) {}
    state::CaptureNumbers numbers() const override { return {data.TodayDate, data.BmpNumber, data.JpgNumber, data.AviNumber}; }
    void store(const state::CaptureNumbers &n) override
    {
        data.TodayDate = n.todayDate;
        data.BmpNumber = n.bmp;
        data.JpgNumber = n.jpg;
        data.AviNumber = n.avi;
        ++stores;
    }
};

} // namespace fakes
