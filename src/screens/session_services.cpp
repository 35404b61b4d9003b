#include "screens/session_services.h"

#include "engine/charge_test_session.h"
#include "platform/log.h"
#include "store/brand_catalogue.h"
#include "store/display_text.h"
#include "store/vendor_identifier.h"
#include "watch/watch_link.h"

namespace voltaro {

SessionServices::SessionServices(const Clock& clock, HttpClient& http, ServiceEndpoints endpoints,
                                 PreferenceStore& preferences, Device& device,
                                 WatchChannel* watch)
    : utility_(http, std::move(endpoints),
               Utility::Collaborators{
                   [](const std::vector<BrandRecord>& brands) { return saveBrandCatalogue(brands); },
                   [] { return currentLanguageFlag(); },
                   [&preferences] { return vendorIdentifier(preferences); },
                   [&device] { return device.modelName(); }}),
      recorder_(clock),
      watch_(watch) {
    recorder_.setUpload([this](const TestRecord& record, const std::string& times,
                               const std::string& levels) {
        if (onRecordSaved) onRecordSaved(record);
        TestSession* session = uploadingFor_;
        utility_.uploadTestResult(record, times, levels,
                                  [this, session](const std::string& text, float) {
                                      if (session != nullptr) session->showReplyText(text);
                                      if (onReplyText) onReplyText(text);
                                  });
    });
}

void SessionServices::appendTestRecord(TestSession& session) {
    if (!keepingRecords_) {
        session.showRating();
        lastSave_ = SaveOutcome::NotKept;
        return;
    }
    uploadingFor_ = &session;
    ResultSnapshot snapshot = session.snapshot();
    if (kernelPower_ != nullptr) {
        snapshot.kernelWatt = kernelPower_->averageBetween(snapshot.starttime, snapshot.finishtime);
    }
    const bool written = recorder_.appendSnapshot(snapshot, [&session] { session.showRating(); });
    lastSave_ = written                      ? SaveOutcome::Saved
                : snapshot.levelList.empty() ? SaveOutcome::NoSamples
                                             : SaveOutcome::NotWritten;
}

bool keepsRecords(bool simulatedOrReplayed, bool saveAsked, bool historyNamed) {
    return !simulatedOrReplayed || saveAsked || historyNamed;
}

void SessionServices::refreshBrandCatalogue() {
    utility_.fetchBrandList([this] {
        log::debug(log::Category::Service, "done ...");
        if (onCatalogueRefreshed) onCatalogueRefreshed();
    });
}

void SessionServices::updateToWatch(TestSession& session) {
    if (watch_ != nullptr) voltaro::updateToWatch(*watch_, session.device());
}

}  // namespace voltaro
