#pragma once

#include <functional>
#include <memory>
#include <string>

#include "device/device.h"
#include "engine/kernel_power_meter.h"
#include "engine/session_handoffs.h"
#include "platform/http_client.h"
#include "platform/preference_store.h"
#include "platform/watch_channel.h"
#include "service/endpoints.h"
#include "service/utility.h"
#include "store/history_recorder.h"

namespace voltaro {

// What the test session hands on, wired to the real stores, service and watch: a saved result
// goes into the history and, once written, to the remote service, whose text comes back to the
// session; the brand catalogue is refreshed at load; the watch hears every processed level.
class SessionServices final : public SessionHandoffs {
public:
    // `watch` may be null (no watch link).
    SessionServices(const Clock& clock, HttpClient& http, ServiceEndpoints endpoints,
                    PreferenceStore& preferences, Device& device, WatchChannel* watch);

    // What became of the last result handed to appendTestRecord.
    enum class SaveOutcome {
        None,        // no result yet
        Saved,       // written to the history (and uploaded)
        NotWritten,  // the history file could not be written
        NoSamples,   // the result had no samples to save
        NotKept,     // saving is off for this run
    };

    void appendTestRecord(TestSession& session) override;
    void refreshBrandCatalogue() override;
    void updateToWatch(TestSession& session) override;

    // Heard after each saved record, with the record (front-ends that report saves).
    std::function<void(const TestRecord&)> onRecordSaved;
    // Heard when the service's text for a saved result arrives, after the session shows it.
    std::function<void(const std::string&)> onReplyText;
    // Heard when the brand catalogue was refreshed.
    std::function<void()> onCatalogueRefreshed;

    const Utility& utility() const { return utility_; }

    // Off: results are rated and shown but neither written to the history nor uploaded (a
    // simulated or replayed run that names no history of its own). On by default.
    void setKeepingRecords(bool keep) { keepingRecords_ = keep; }
    bool keepingRecords() const { return keepingRecords_; }
    SaveOutcome lastSaveOutcome() const { return lastSave_; }

    // The kernel's own power figure, saved beside each result where the battery reports one.
    void setKernelPowerMeter(const KernelPowerMeter* meter) { kernelPower_ = meter; }

private:
    Utility utility_;
    HistoryRecorder recorder_;
    WatchChannel* watch_;
    TestSession* uploadingFor_ = nullptr;  // the session whose saved result is being uploaded
    const KernelPowerMeter* kernelPower_ = nullptr;
    bool keepingRecords_ = true;
    SaveOutcome lastSave_ = SaveOutcome::None;
};

// Whether a run keeps its results: always on a real battery; with a simulated or replayed one
// only when asked (--save) or when a history location is named (--data-dir, VOLTARO_DATA_DIR), so
// that made-up tests never land in the user's own history.
bool keepsRecords(bool simulatedOrReplayed, bool saveAsked, bool historyNamed);

}  // namespace voltaro
