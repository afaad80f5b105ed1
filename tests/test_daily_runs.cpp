// The daily dig as the player meets it: which game of a day is ranked, what is kept, what is
// sent and when; with a clock and a leaderboard of the test's own.
#include "game/profile/daily_runs.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>

#include "engine/audio.h"
#include "engine/input.h"
#include "game/profile/player_key.h"
#include "game/screens/game_screen.h"
#include "game/screens/screen_flow.h"
#include "game/screens/title_screen.h"
#include "tests/support/support.h"

namespace {

namespace fs = std::filesystem;
using State = DailyRun::State;

constexpr int64_t kDec9 = 1796774400;  // 2026-12-09T00:00:00Z
constexpr int64_t kHour = 3600;
const daily::Date kDay9{2026, 12, 9};

// Answers each request with the next status queued (0: no answer), at once, on the caller's
// thread; keeps what it was sent.
class FakeHttp : public Http {
public:
    struct Log {
        std::vector<HttpRequest> sent;
        std::deque<std::pair<int, std::string>> answers;
    };
    explicit FakeHttp(std::shared_ptr<Log> log_) : log(std::move(log_)) {}
    void send(HttpRequest request, Done done) override {
        log->sent.push_back(request);
        HttpResponse response;
        if (!log->answers.empty()) {
            response.status = log->answers.front().first;
            response.body = log->answers.front().second;
            log->answers.pop_front();
        }
        if (response.status == 0) response.error = "no answer";
        done(response);
    }
    std::shared_ptr<Log> log;
};

class Daily : public ::testing::Test {
protected:
    static void SetUpTestSuite() { SDL_InitSubSystem(SDL_INIT_AUDIO); }

    // A new start of the game: the profile and the flow read again from the folders.
    void start(const std::string& url = "") {
        flow.reset();
        profile = std::make_unique<Profile>(data.path, config.path);
        profile->clock = [this] { return now * 1000; };
        profile->settings.leaderboard_url = url;
        flow = std::make_unique<ScreenFlow>(*profile);
        flow->use_http(std::make_unique<FakeHttp>(server));
    }
    // A daily game from the title, ended at once (or left mid-game): ranked or not.
    bool play_daily(bool finish = true) {
        std::unique_ptr<GameScreen> screen(static_cast<GameScreen*>(flow->daily()));
        flow->writer().flush();
        EXPECT_TRUE(screen->daily->known);
        if (finish) {
            Input input;
            screen->update(input, audio, 16);
            screen->world.player.length = 0.5;
            screen->update(input, audio, 16);
            EXPECT_EQ(screen->world.state, World::State::GameOver);
            flow->writer().flush();
            last_seed = screen->world.recording.seed;
        }
        return screen->daily->ranked;
    }
    const DailyRun* run_of(const daily::Date& date) {
        flow->writer().flush();
        DailyRuns fresh(*profile);
        fresh.load();
        stored = fresh.runs;
        for (const DailyRun& run : stored) {
            if (run.date == date) return &run;
        }
        return nullptr;
    }

    test::TempContentDir content;
    test::TempFolder data;
    test::TempFolder config;
    Audio audio{Audio::Config{}};
    int64_t now = kDec9 + 10 * kHour;
    std::shared_ptr<FakeHttp::Log> server = std::make_shared<FakeHttp::Log>();
    std::unique_ptr<Profile> profile;
    std::unique_ptr<ScreenFlow> flow;
    std::vector<DailyRun> stored;
    uint32_t last_seed = 0;
};

// Each step is a start of the game (or not), a time and a daily game; the table says whether
// it is ranked. The try is used as the game starts, and belongs to the day it started on.
TEST_F(Daily, TheFirstGameOfEachUtcDayIsRankedTheRestPractice) {
    struct Step {
        const char* why;
        bool restart;
        int64_t at;
        bool finish;
        bool ranked;
    };
    const Step steps[] = {
        {"the day's first", false, kDec9 + 10 * kHour, true, true},
        {"the same day again", false, kDec9 + 11 * kHour, true, false},
        {"after a new start", true, kDec9 + 12 * kHour, true, false},
        {"the last second of the day", false, kDec9 + 24 * kHour - 1, true, false},
        {"the next day's first second", false, kDec9 + 24 * kHour, false, true},  // left mid-game
        {"after leaving mid-game", true, kDec9 + 25 * kHour, true, false},
    };
    start();
    for (const Step& s : steps) {
        SCOPED_TRACE(s.why);
        now = s.at;
        if (s.restart) start();
        EXPECT_EQ(play_daily(s.finish), s.ranked);
        if (s.finish) {
            EXPECT_EQ(last_seed, daily::seed_of(daily::date_at(s.at)));
        }
    }
    // Day 9's ranked run ended and waits to be sent; day 10's started and never ended.
    const DailyRun* ninth = run_of(kDay9);
    ASSERT_NE(ninth, nullptr);
    EXPECT_EQ(ninth->state, State::Pending);
    EXPECT_GT(ninth->length, 0.0);
    EXPECT_TRUE(fs::exists(flow->daily_runs.replay_path(kDay9)));
    const DailyRun* tenth = run_of(daily::Date{2026, 12, 10});
    ASSERT_NE(tenth, nullptr);
    EXPECT_EQ(tenth->state, State::Started);
    EXPECT_FALSE(fs::exists(flow->daily_runs.replay_path(daily::Date{2026, 12, 10})));
}

// An assisted daily game shows the day's world, so it uses the try; but it is practice, never
// sent, and kept in the records with its mark.
TEST_F(Daily, AnAssistedGameUsesTheTryAndIsNeverRanked) {
    start("http://127.0.0.1:9");
    profile->settings.game_speed = 70;
    profile->settings.one_switch = true;
    EXPECT_FALSE(play_daily());
    ASSERT_EQ(profile->records.table.size(), 1u);
    EXPECT_EQ(profile->records.table[0].assists, (Assists{70, true}));
    for (const HttpRequest& request : server->sent) EXPECT_NE(request.method, "POST");
    const DailyRun* ninth = run_of(kDay9);
    ASSERT_NE(ninth, nullptr);
    EXPECT_EQ(ninth->state, State::Started);
    EXPECT_FALSE(fs::exists(flow->daily_runs.replay_path(kDay9)));

    profile->settings.game_speed = 100;
    profile->settings.one_switch = false;
    EXPECT_FALSE(play_daily());
}

// A crash between the start and the end: the line written at the start is on disk.
TEST_F(Daily, ACrashAfterTheStartStillUsesTheTry) {
    start();
    {
        ScreenFlow crashing(*profile);
        std::unique_ptr<Screen> screen(crashing.daily());
        crashing.writer().flush();
    }  // gone without an end, as a crash leaves it
    ASSERT_NE(run_of(kDay9), nullptr);
    start();
    EXPECT_FALSE(play_daily());
}

// The ranked run waits on disk while nobody answers, goes at the next start, and its rank shows;
// a refusal is final; a run whose day closed is kept but not sent.
TEST_F(Daily, APendingRunIsSentAtTheNextStartUntilItsDayCloses) {
    start("http://board.example");
    server->answers = {{0, ""}};  // down
    ASSERT_TRUE(play_daily());
    ASSERT_EQ(server->sent.size(), 1u);
    const HttpRequest first = server->sent[0];
    EXPECT_EQ(first.method, "POST");
    EXPECT_EQ(first.url, "http://board.example/api/v1/daily/2026-12-09/runs");
    EXPECT_EQ(first.headers[1], "X-Player-Name: Burrower");
    EXPECT_EQ(run_of(kDay9)->state, State::Pending);

    now = kDec9 + 30 * kHour;  // the next day, within the grace
    start("http://board.example");
    server->answers = {
        {201, R"({"id":7,"date":"2026-12-09","depth":3.5,"length":12,"rank":12,"of":340})"},
        {200, R"({"date":"2026-12-10","seed":1,"runs":[]})"}};
    std::unique_ptr<Screen> title(flow->title());
    ASSERT_EQ(server->sent.size(), 3u);  // the waiting run, then the day's board
    EXPECT_EQ(server->sent[1].body, first.body);
    EXPECT_EQ(server->sent[1].headers[0], first.headers[0]);  // the same key
    EXPECT_EQ(flow->daily_client->answer(kDay9), "Daily rank 12 of 340");
    const DailyRun* sent = run_of(kDay9);
    EXPECT_EQ(sent->state, State::Sent);
    EXPECT_EQ(sent->rank, 12);
    EXPECT_EQ(sent->of, 340);
    // Sent once: the next start sends nothing but the board's request.
    start("http://board.example");
    title.reset(flow->title());
    EXPECT_EQ(server->sent.size(), 4u);

    // Day 10: refused for good (not a server fault), never sent again.
    server->answers = {{422, R"({"error": "the replay does not verify"})"}};
    ASSERT_TRUE(play_daily());
    EXPECT_EQ(run_of(daily::Date{2026, 12, 10})->state, State::Refused);
    EXPECT_EQ(run_of(daily::Date{2026, 12, 10})->note, "the replay does not verify");

    // Day 11: the server down until its day and the grace are over.
    now = kDec9 + 2 * 24 * kHour + kHour;
    server->answers = {{503, ""}};
    ASSERT_TRUE(play_daily());
    now = kDec9 + 6 * 24 * kHour;  // 2026-12-11 closed at the end of 12-13
    const std::size_t before = server->sent.size();
    start("http://board.example");
    title.reset(flow->title());
    EXPECT_EQ(server->sent.size(), before + 1);  // the board only
    EXPECT_EQ(run_of(daily::Date{2026, 12, 11})->state, State::Expired);
    EXPECT_TRUE(fs::exists(flow->daily_runs.replay_path(daily::Date{2026, 12, 11})));
}

// Two copies of the game, one log: neither loses the other's day, the later state wins, and a
// file that is not a log is set aside, not written over.
TEST_F(Daily, TheLogMergesCopiesAndSetsABadFileAside) {
    start();
    DailyRuns other(*profile);
    other.load();
    ASSERT_TRUE(play_daily());
    EXPECT_FALSE(other.claim(kDay9));  // the other copy sees this one's try
    EXPECT_TRUE(other.claim(daily::Date{2026, 12, 8}));
    ASSERT_NE(run_of(daily::Date{2026, 12, 8}), nullptr);
    EXPECT_EQ(run_of(kDay9)->state, State::Pending);  // not taken back to Started

    const fs::path log = flow->daily_runs.log_path();
    std::ofstream(log) << "burrowgale daily 1\ndate=2026-12-09 state=bogus\n";
    start();
    EXPECT_TRUE(flow->daily_runs.runs.empty());
    bool kept_aside = false;
    for (const auto& entry : fs::directory_iterator(log.parent_path())) {
        kept_aside |= entry.path().filename().string().rfind("daily.txt.bad-", 0) == 0;
    }
    EXPECT_TRUE(kept_aside);
}

TEST_F(Daily, ThePlayerKeyIsMadeOnceForThePlayerAlone) {
    std::string error;
    const std::string key = player_key(config.path, error);
    ASSERT_TRUE(valid_player_key(key)) << error;
    struct stat info {};
    ASSERT_EQ(stat((config.path / kPlayerKeyFile).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(player_key(config.path, error), key);
    // A file that is no key is kept aside and a new one made.
    std::ofstream(config.path / kPlayerKeyFile) << "not a key\n";
    const std::string fresh = player_key(config.path, error);
    EXPECT_TRUE(valid_player_key(fresh));
    EXPECT_NE(fresh, key);
    int files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(config.path)) ++files;
    EXPECT_EQ(files, 2);
}

// Whatever a server answers is read without a crash and only what fits is taken.
TEST(DailyClient, AnswersAreReadStrictly) {
    struct Case {
        int status;
        const char* body;
        State state;
        const char* line;
    };
    const Case cases[] = {
        {201, R"({"id":1,"rank":1,"of":1})", State::Sent, "Daily rank 1 of 1"},
        {201, R"({"rank":"1","of":1})", State::Pending, "Daily run not sent yet"},
        {201, "not json", State::Pending, "Daily run not sent yet"},
        {200, R"({"practice": true})", State::Sent, "Daily dig: the server already has"},
        {429, R"({"error":"slow down"})", State::Pending, "Daily run not sent yet"},
        {500, "", State::Pending, "Daily run not sent yet"},
        {410, R"({"error":"closed \u003cday\u003e\n"})", State::Refused,
         "Not ranked: closed <day> "},
        {400, R"({"error":)", State::Refused, "Not ranked: answer 400"},
        {413, "[[[[[[[[[[[[", State::Refused, "Not ranked: answer 413"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        std::string line;
        DailyRun run;
        run.state = State::Pending;
        EXPECT_EQ(DailyClient::judge(run, c.status, c.body, line).state, c.state);
        EXPECT_EQ(line.rfind(c.line, 0), 0u) << line;
    }
    const auto rows = DailyClient::parse_board(
        R"({"date":"2026-12-09","seed":5,"runs":[{"rank":1,"name":"A \"}{\" b","depth":12.5,)"
        R"("length":40,"id":3},{"rank":2,"name":"Mole","depth":3,"length":1,"id":9}]})");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].name, "A \"}{\" b");
    EXPECT_EQ(rows[0].depth, 12.5);
    EXPECT_EQ(rows[1].rank, 2);
    EXPECT_TRUE(DailyClient::parse_board(R"({"runs":[{"rank":1,"name":5}]})").empty());
    EXPECT_TRUE(DailyClient::parse_board(R"({"runs":[{"rank":1,)").empty());
    EXPECT_TRUE(DailyClient::parse_board("").empty());
}

// Answers only when the test says, as a slow network would.
class LateHttp : public Http {
public:
    void send(HttpRequest request, Done done) override {
        asked.emplace_back(std::move(request), std::move(done));
    }
    std::vector<std::pair<HttpRequest, Done>> asked;
};

// A server set from the options replaces the old one at once: its board goes, and a board the
// old server sends late is not shown as the new one's.
TEST_F(Daily, ANewServerDropsTheOldBoardAndItsLateAnswer) {
    start("https://old.example");
    auto http = std::make_unique<LateHttp>();
    LateHttp& late = *http;
    flow->use_http(std::move(http));
    const std::string board = R"({"runs":[{"rank":1,"name":"Mole","depth":3,"length":1}]})";
    flow->daily_client->fetch_board(kDay9);
    flow->daily_client->fetch_board(kDay9);
    ASSERT_EQ(late.asked.size(), 2u);
    late.asked[0].second({200, board, ""});
    EXPECT_EQ(flow->daily_client->board().size(), 1u);

    profile->settings.leaderboard_url = "https://new.example/";
    profile->settings.player_name = "Vole";
    flow->apply_leaderboard();
    EXPECT_TRUE(flow->daily_client->board().empty());
    late.asked[1].second({200, board, ""});  // the old server, late
    EXPECT_TRUE(flow->daily_client->board().empty());

    flow->daily_client->fetch_board(kDay9);
    ASSERT_EQ(late.asked.size(), 3u);
    EXPECT_EQ(late.asked[2].first.url.rfind("https://new.example/api/v1/daily/2026-12-09", 0), 0u)
        << late.asked[2].first.url;
    flow->daily_client->send(kDay9, "replay");
    ASSERT_EQ(late.asked.size(), 4u);
    EXPECT_EQ(late.asked[3].first.headers[1], "X-Player-Name: Vole");
}

TEST(DailyTitle, TimeLeftCountsDownToMidnightUtc) {
    EXPECT_EQ(TitleScreen::time_left(kDec9), "Daily dig: 24 h 0 min left");
    EXPECT_EQ(TitleScreen::time_left(kDec9 + 18 * kHour + 48 * 60), "Daily dig: 5 h 12 min left");
    EXPECT_EQ(TitleScreen::time_left(kDec9 + 24 * kHour - 1), "Daily dig: 0 h 1 min left");
}

}  // namespace
