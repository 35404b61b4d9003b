#pragma once

namespace voltaro {

class TestSession;

// Where the test session hands work to the stores, the remote service and the watch. The session
// uses no result of any of them.
class SessionHandoffs {
public:
    virtual ~SessionHandoffs() = default;

    // Saves the session's result as a history record. Between appending the record and writing the
    // file it runs session.showRating() (the star rating).
    virtual void appendTestRecord(TestSession& session) = 0;

    // Refreshes the brand catalogue; started once when the session loads.
    virtual void refreshBrandCatalogue() {}

    // Tells a paired watch the battery level, state and model after a processed level change.
    virtual void updateToWatch(TestSession& session) { (void)session; }
};

// Hand-offs with nothing behind them: the rating is shown, nothing is kept.
class RatingOnlyHandoffs final : public SessionHandoffs {
public:
    void appendTestRecord(TestSession& session) override;
};

}  // namespace voltaro
