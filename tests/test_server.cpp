// The server's pieces that HTTP tests reach only partly: the key hash against the standard's
// vectors, JSON and HTML escaping of hostile text, the name and key rules, the rate limiter's
// refill and memory bound, the command line, and the store's shared commits under many threads.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>

#include "server/board_page.h"
#include "server/json.h"
#include "server/options.h"
#include "server/player.h"
#include "server/rate_limiter.h"
#include "server/sha256.h"
#include "server/store.h"
#include "tests/support/support.h"

namespace {

TEST(Sha256, MatchesTheStandardsVectorsAcrossBlockBoundaries) {
    EXPECT_EQ(sha256_hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(sha256_hex("abc"),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    // 56 bytes: the length no longer fits in the first block.
    EXPECT_EQ(sha256_hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(sha256_hex(std::string(1000000, 'a')),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(Json, EscapesEveryHostileByte) {
    EXPECT_EQ(json_quote("a\"b\\c\n\x01\x7f"), R"("a\"b\\c\u000a\u0001\u007f")");
    EXPECT_EQ(json_quote("caf\xc3\xa9"), "\"caf\xc3\xa9\"");           // UTF-8 kept
    EXPECT_EQ(json_quote("\xff\xc3"), R"("\ufffd\ufffd")");            // not UTF-8
    EXPECT_EQ(json_quote("\xed\xa0\x80"), R"("\ufffd\ufffd\ufffd")");  // a surrogate
    const std::string text = JsonWriter()
                                 .begin_object()
                                 .key("n")
                                 .value(int64_t{-3})
                                 .key("d")
                                 .value(0.1)
                                 .key("a")
                                 .begin_array()
                                 .value(true)
                                 .value("x")
                                 .end_array()
                                 .end_object()
                                 .text();
    EXPECT_EQ(text, R"({"n":-3,"d":0.1,"a":[true,"x"]})");
    EXPECT_EQ(json_error("no"), R"({"error":"no"})");
    EXPECT_EQ(html_escape("<a href='x'>&\"</a>"),
              "&lt;a href=&#39;x&#39;&gt;&amp;&quot;&lt;/a&gt;");
}

TEST(Player, NamesAreTrimmedPrintableAsciiOfOneToSixteen) {
    const struct {
        const char* raw;
        const char* name;  // null: refused
    } cases[] = {
        {"Ann", "Ann"},
        {"  Ann Lee ", "Ann Lee"},
        {"sixteen letters!", "sixteen letters!"},
        {"<b>&'\"~", "<b>&'\"~"},
        {"", nullptr},
        {"    ", nullptr},
        {"seventeen letters", nullptr},
        {"tab\there", nullptr},
        {"caf\xc3\xa9", nullptr},
        {"del\x7f", nullptr},
    };
    for (const auto& c : cases) {
        const std::optional<std::string> name = clean_player_name(c.raw);
        if (c.name == nullptr) {
            EXPECT_FALSE(name.has_value()) << c.raw;
        } else {
            EXPECT_EQ(name.value_or("(refused)"), c.name);
        }
    }
}

TEST(Player, KeysAreBearerAnd32HexDigitsInAnyCase) {
    EXPECT_EQ(bearer_key("Bearer 0123456789ABCDEFabcdef0123456789").value_or(""),
              "0123456789abcdefabcdef0123456789");
    for (const char* bad :
         {"", "Bearer ", "Bearer 0123456789abcdef0123456789abcde",
          "Bearer 0123456789abcdef0123456789abcdef0", "bearer 0123456789abcdef0123456789abcdef",
          "Basic 0123456789abcdef0123456789abcdef", "Bearer 0123456789abcdef0123456789abcdeg",
          "Bearer  123456789abcdef0123456789abcdef"}) {
        EXPECT_FALSE(bearer_key(bad).has_value()) << bad;
    }
    EXPECT_EQ(key_hash("0123456789abcdef0123456789abcdef").size(), 64u);
}

TEST(RateLimiter, RefillsAtTheLimitAMinuteAndForgetsIdleAddresses) {
    RateLimiter limiter(2);
    EXPECT_EQ(limiter.take("a", 0), 0);
    EXPECT_EQ(limiter.take("a", 0), 0);
    EXPECT_EQ(limiter.take("a", 0), 30);  // one more in half a minute
    EXPECT_EQ(limiter.take("b", 0), 0);   // addresses apart
    EXPECT_EQ(limiter.take("a", 29000), 1);
    EXPECT_EQ(limiter.take("a", 30000), 0);
    EXPECT_EQ(RateLimiter(0).take("a", 0), 0);

    // Past the cap the idle (full) buckets go; the busy one stays limited.
    RateLimiter many(1);
    EXPECT_EQ(many.take("busy", 0), 0);
    for (std::size_t i = 0; i < RateLimiter::kMaxAddresses + 10; ++i) {
        many.take(std::to_string(i), 120000);
    }
    EXPECT_LE(many.tracked(), RateLimiter::kMaxAddresses);
}

TEST(ServerOptions, ReadsEachOptionAndRefusesBadOnes) {
    ServerOptions options;
    std::string error;
    bool help = false;
    const char* good[] = {"--db", "x.db", "--listen=[::1]:9000", "--rate-limit", "0", "--site=web"};
    ASSERT_TRUE(parse_server_options(6, good, options, error, help)) << error;
    EXPECT_EQ(options.db, "x.db");
    EXPECT_EQ(options.host, "::1");
    EXPECT_EQ(options.port, 9000);
    EXPECT_EQ(options.rate_limit, 0u);
    EXPECT_EQ(options.site, "web");
    const std::vector<std::vector<const char*>> bad = {
        {"--db"},           {"--listen", "8080"},   {"--listen", "host:70000"},
        {"--listen", ":1"}, {"--rate-limit", "-1"}, {"--rate-limit", "many"},
        {"--port", "1"},    {"--now", "yesterday"}, {"stray"},
    };
    for (const auto& args : bad) {
        ServerOptions ignored;
        error.clear();
        EXPECT_FALSE(
            parse_server_options(static_cast<int>(args.size()), args.data(), ignored, error, help))
            << args[0];
        EXPECT_FALSE(error.empty());
    }
}

// Runs added from many threads at once share commits: none is lost or answered twice, each
// key's first run is its only ranked one, and the answers agree with the stored board.
TEST(Store, RunsFromManyThreadsShareCommitsAndLoseNone) {
    test::TempFolder folder;
    std::string error;
    const std::unique_ptr<Store> store = Store::open((folder.path / "runs.db").string(), error);
    ASSERT_TRUE(store) << error;
    constexpr int kThreads = 12;
    constexpr int kEach = 6;
    constexpr int kKeys = kThreads / 2;  // two threads send under each key
    std::vector<std::vector<Store::Added>> answers(kThreads);
    std::vector<std::string> errors(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i) {
                Store::NewRun run{"2025-06-15", "key " + std::to_string(t % kKeys),
                                  "n",          static_cast<double>(t * kEach + i),
                                  1.0,          0,
                                  false,        {1, 2, 3}};
                Store::Added added;
                if (!store->add_run(run, added, errors[t])) return;
                answers[t].push_back(added);
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    std::set<int64_t> ids;
    std::set<int64_t> ranked;
    for (int t = 0; t < kThreads; ++t) {
        ASSERT_EQ(answers[t].size(), static_cast<std::size_t>(kEach)) << errors[t];
        for (const Store::Added& added : answers[t]) {
            EXPECT_TRUE(ids.insert(added.id).second) << "id " << added.id << " answered twice";
            if (!added.ranked) continue;
            ranked.insert(added.id);
            EXPECT_GE(added.rank, 1);
            EXPECT_LE(added.rank, added.of);
            EXPECT_LE(added.of, kKeys);
        }
    }
    std::vector<Store::BoardRow> board;
    ASSERT_TRUE(store->board("2025-06-15", 100, board, error)) << error;
    std::set<int64_t> on_board;
    for (const Store::BoardRow& row : board) on_board.insert(row.id);
    EXPECT_EQ(on_board, ranked);
    EXPECT_EQ(ranked.size(), static_cast<std::size_t>(kKeys));
}

}  // namespace
