// Starts the real xinghe-demo program on a free loopback port and talks HTTP to it.
#include <gtest/gtest.h>
#include <httplib.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

const char kLogin[] = "/games/xhvx/dlq/";
const char kLoginPost[] = "/games/xhvx/dlq/login.php";
const char kServers[] = "/games/xhvx/dlq/servers.php";

// One xinghe-demo child process; stopped by the destructor at the latest.
class DemoProcess {
public:
    // Starts the program with `args` (plus "--port 0"). False when it did not announce a port.
    bool Start(const std::vector<std::string>& args) {
        int fds[2];
        int errFds[2];
        if (pipe(fds) != 0) return false;
        if (pipe(errFds) != 0) return false;
        std::vector<std::string> all = {XHDEMO_BINARY, "--port", "0"};
        all.insert(all.end(), args.begin(), args.end());
        pid_ = fork();
        if (pid_ == 0) {
            // Never outlive a test run that crashes.
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            dup2(fds[1], STDOUT_FILENO);
            dup2(errFds[1], STDERR_FILENO);
            close(fds[0]);
            close(fds[1]);
            close(errFds[0]);
            close(errFds[1]);
            std::vector<char*> argv;
            for (std::string& a : all) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(fds[1]);
        close(errFds[1]);
        out_ = fds[0];
        err_ = errFds[0];
        std::string line = ReadLine(10000);
        std::smatch m;
        static const std::regex kListening("listening on http://127\\.0\\.0\\.1:(\\d+)/");
        if (!std::regex_search(line, m, kListening)) return false;
        port_ = std::stoi(m[1]);
        return port_ > 0;
    }

    // Sends SIGTERM and returns the exit status (-1 when it did not exit normally).
    int Stop() {
        if (pid_ <= 0) return -1;
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        if (out_ >= 0) close(out_);
        out_ = -1;
        if (err_ >= 0) close(err_);
        err_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // Waits for a program that ends on its own (bad command line) and returns its exit status.
    int Wait() {
        if (pid_ <= 0) return -1;
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // Everything the program wrote to its error output; call after it has ended.
    std::string ErrorText() {
        std::string text;
        char buf[512];
        for (ssize_t n; err_ >= 0 && (n = read(err_, buf, sizeof buf)) > 0;) text.append(buf, n);
        return text;
    }

    ~DemoProcess() {
        if (pid_ > 0) Stop();
        if (out_ >= 0) close(out_);
        if (err_ >= 0) close(err_);
    }

    int port() const { return port_; }
    httplib::Client Client() const {
        httplib::Client cli("127.0.0.1", port_);
        cli.set_connection_timeout(5);
        cli.set_read_timeout(5);
        return cli;
    }

private:
    std::string ReadLine(int timeoutMs) {
        std::string line;
        char c = 0;
        while (true) {
            pollfd pfd{out_, POLLIN, 0};
            if (poll(&pfd, 1, timeoutMs) <= 0) break;
            if (read(out_, &c, 1) != 1 || c == '\n') break;
            line += c;
        }
        return line;
    }

    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    int port_ = 0;
};

std::string PercentDecode(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string HtmlUnescape(std::string text) {
    const std::pair<const char*, const char*> kEntities[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&amp;", "&"}};
    for (auto [entity, plain] : kEntities) {
        for (std::size_t pos; (pos = text.find(entity)) != std::string::npos;) text.replace(pos, std::strlen(entity), plain);
    }
    return text;
}

std::string Query(const std::string& url, const std::string& key) {
    std::smatch m;
    std::regex re("[?&]" + key + "=([^&]*)");
    return std::regex_search(url, m, re) ? std::string(m[1]) : std::string("<missing>");
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Logs in and returns the "Cookie" header value for the session, or "" on failure.
std::string LogIn(httplib::Client& cli, const std::string& account, const std::string& password = "secret") {
    auto res = cli.Post(kLoginPost, httplib::Params{{"account", account}, {"password", password}});
    if (!res || res->status != 303) return "";
    std::smatch m;
    std::string setCookie = res->get_header_value("Set-Cookie");
    if (!std::regex_search(setCookie, m, std::regex("^(XHSESSID=[0-9a-f]+);"))) return "";
    return m[1];
}

struct ServerLink {
    std::string href;  // as a browser reads it, entities resolved
    std::string name;  // the name the page shows
};

std::vector<ServerLink> ServerLinks(const std::string& page) {
    std::vector<ServerLink> links;
    static const std::regex kItem(
        "<a class=\"server\" href=\"([^\"]*)\"[^>]*>.*?<span class=\"sv-name\">([^<]*)</span>");
    for (std::sregex_iterator it(page.begin(), page.end(), kItem), end; it != end; ++it) {
        links.push_back({HtmlUnescape((*it)[1]), HtmlUnescape((*it)[2])});
    }
    return links;
}

class DemoServerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(demo_.Start({})); }
    DemoProcess demo_;
};

TEST_F(DemoServerTest, LoginPageIsAStyledUtf8FormPostingToTheLoginAddress) {
    auto cli = demo_.Client();
    auto res = cli.Get(kLogin);
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(res->get_header_value("Content-Type"), "text/html; charset=utf-8");
    for (const char* part : {"<meta charset=\"utf-8\">", "<form", "method=\"post\"",
                             "action=\"/games/xhvx/dlq/login.php\"", "name=\"account\"", "name=\"password\"",
                             "type=\"password\"", "type=\"submit\"", "/static/platform.css", "Vexa", "星河"}) {
        EXPECT_TRUE(Contains(res->body, part)) << part;
    }
    // Without a slash the platform sends the browser to the canonical address.
    auto bare = cli.Get("/games/xhvx/dlq");
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->status, 302);
    EXPECT_EQ(bare->get_header_value("Location"), kLogin);
}

TEST_F(DemoServerTest, LoginWithoutAccountOrPasswordFailsWithoutSession) {
    struct Case {
        const char* account;
        const char* password;
    };
    const Case cases[] = {{"", ""}, {"pilot", ""}, {"", "secret"}, {"   ", "secret"}};
    auto cli = demo_.Client();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("account='") + c.account + "' password='" + c.password + "'");
        auto res = cli.Post(kLoginPost, httplib::Params{{"account", c.account}, {"password", c.password}});
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 200);
        EXPECT_FALSE(res->has_header("Set-Cookie"));
        EXPECT_TRUE(Contains(res->body, "请输入账号和密码"));
        EXPECT_TRUE(Contains(res->body, "name=\"account\""));
    }
    // Without a session the server choice sends the browser back to the login page.
    auto servers = cli.Get(kServers);
    ASSERT_TRUE(servers);
    EXPECT_EQ(servers->status, 303);
    EXPECT_EQ(servers->get_header_value("Location"), kLogin);
}

TEST_F(DemoServerTest, LoginSetsSessionCookieAndListsServersWithEncodedGameLinks) {
    auto cli = demo_.Client();
    auto res = cli.Post(kLoginPost, httplib::Params{{"account", "星际旅人"}, {"password", "secret"}});
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 303);
    EXPECT_EQ(res->get_header_value("Location"), kServers);
    std::string setCookie = res->get_header_value("Set-Cookie");
    EXPECT_TRUE(std::regex_match(setCookie, std::regex("XHSESSID=[0-9a-f]{32}; Path=/; HttpOnly"))) << setCookie;

    std::string cookie = setCookie.substr(0, setCookie.find(';'));
    auto page = cli.Get(kServers, httplib::Headers{{"Cookie", cookie}});
    ASSERT_TRUE(page);
    ASSERT_EQ(page->status, 200);
    EXPECT_TRUE(Contains(page->body, "星际旅人"));

    std::vector<ServerLink> links = ServerLinks(page->body);
    ASSERT_GE(links.size(), 4u);
    std::set<std::string> names;
    for (const ServerLink& link : links) {
        SCOPED_TRACE(link.href);
        EXPECT_TRUE(link.href.starts_with("/game/play.php?"));
        EXPECT_EQ(Query(link.href, "play_gamecode"), "xinghe");
        // svname is the last parameter and fully encoded: nothing in it can end it early.
        std::size_t at = link.href.find("&svname=");
        ASSERT_NE(at, std::string::npos);
        std::string raw = link.href.substr(at + 8);
        EXPECT_TRUE(std::regex_match(raw, std::regex("([A-Za-z0-9._~-]|%[0-9A-F]{2})+"))) << raw;
        EXPECT_EQ(PercentDecode(raw), link.name);
        names.insert(link.name);
    }
    for (const char* expected : {"星河一区", "电信/网通 双线二区", "仙女座&天琴 五区"}) {
        EXPECT_TRUE(names.count(expected)) << expected;
    }
}

TEST_F(DemoServerTest, EveryServerLinkOpensTheGameOnThatServer) {
    auto cli = demo_.Client();
    std::string cookie = LogIn(cli, "pilot");
    ASSERT_FALSE(cookie.empty());
    auto page = cli.Get(kServers, httplib::Headers{{"Cookie", cookie}});
    ASSERT_TRUE(page);
    std::vector<ServerLink> links = ServerLinks(page->body);
    ASSERT_FALSE(links.empty());
    for (const ServerLink& link : links) {
        SCOPED_TRACE(link.href);
        auto game = cli.Get(link.href, httplib::Headers{{"Cookie", cookie}});
        ASSERT_TRUE(game);
        EXPECT_EQ(game->status, 200);
        EXPECT_EQ(game->get_header_value("Content-Type"), "text/html; charset=utf-8");
        EXPECT_TRUE(Contains(HtmlUnescape(game->body), link.name));
        EXPECT_TRUE(Contains(game->body, "<canvas id=\"game\""));
    }
}

TEST_F(DemoServerTest, GamePageGreetsTheSessionAccountAndOtherwiseSaysNotLoggedIn) {
    auto cli = demo_.Client();
    std::string captain = LogIn(cli, "舰长<&>");
    std::string other = LogIn(cli, "另一位玩家");
    std::string gone = LogIn(cli, "离开的人");
    ASSERT_FALSE(captain.empty());
    ASSERT_FALSE(other.empty());
    ASSERT_TRUE(cli.Get("/games/xhvx/dlq/logout.php", httplib::Headers{{"Cookie", gone}}));

    const std::string kCaptain = "舰长&lt;&amp;&gt;";  // the account, escaped for HTML
    struct Case {
        std::string cookieHeader;
        std::string shown;
    };
    const Case cases[] = {
        {captain, kCaptain},
        {"theme=dark; " + captain + "; lang=zh", kCaptain},
        {other, "另一位玩家"},
        {"", "未登录"},
        {"XHSESSID=0123456789abcdef0123456789abcdef", "未登录"},
        {gone, "未登录"},
    };
    const std::string game = "/game/play.php?play_gamecode=xinghe&sid=1&svname=%E6%98%9F%E6%B2%B3%E4%B8%80%E5%8C%BA";
    for (const Case& c : cases) {
        SCOPED_TRACE("Cookie: " + c.cookieHeader);
        httplib::Headers headers;
        if (!c.cookieHeader.empty()) headers.emplace("Cookie", c.cookieHeader);
        auto res = cli.Get(game, headers);
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 200);
        EXPECT_TRUE(Contains(res->body, "星河一区"));
        for (const std::string& text : {kCaptain, std::string("另一位玩家"), std::string("未登录")}) {
            EXPECT_EQ(Contains(res->body, text), text == c.shown) << text;
        }
        EXPECT_FALSE(Contains(res->body, "舰长<&>"));  // never unescaped
    }
}

TEST_F(DemoServerTest, VersionServiceAnswersZeroUntilConfiguredAtRunTime) {
    auto cli = demo_.Client();
    const std::string query = "/getClientVersion.php?p=Vexa&g=xinghe&v=1.0.1.0";
    auto first = cli.Get(query);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->status, 200);
    EXPECT_EQ(first->body, "0");

    for (std::string answer : {"http://127.0.0.1:1/download/xinghe.exe", "-1", "http://x/a.exe\r\n", ""}) {
        SCOPED_TRACE(answer);
        auto set = cli.Post("/__demo/version", answer, "text/plain");
        ASSERT_TRUE(set);
        EXPECT_EQ(set->status, 204);
        auto res = cli.Get(query);
        ASSERT_TRUE(res);
        EXPECT_EQ(res->body, answer);
    }
}

TEST(DemoServerOptions, SilentVersionServiceHoldsItsCallerAndLetsTheServerStop) {
    DemoProcess demo;
    ASSERT_TRUE(demo.Start({}));
    auto cli = demo.Client();
    const std::string query = "/getClientVersion.php?p=Vexa&g=xinghe&v=1.0.1.0";
    auto set = cli.Post("/__demo/version-silence", "700", "text/plain");
    ASSERT_TRUE(set);
    EXPECT_EQ(set->status, 204);
    auto begin = std::chrono::steady_clock::now();
    auto held = cli.Get(query);
    ASSERT_TRUE(held);
    EXPECT_EQ(held->body, "0");
    EXPECT_GE(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(700));

    // A caller still waiting does not keep the server from ending.
    ASSERT_TRUE(cli.Post("/__demo/version-silence", "600000", "text/plain"));
    std::thread waiting([&] {
        auto other = demo.Client();
        other.set_read_timeout(30, 0);
        other.Get(query);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    begin = std::chrono::steady_clock::now();
    EXPECT_EQ(demo.Stop(), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(5));
    waiting.join();
}

TEST(DemoServerOptions, VersionAnswerFromTheCommandLineAndOnlyForThisProduct) {
    DemoProcess demo;
    const std::string offer = "http://127.0.0.1:47615/download/zqxinghe.exe";
    ASSERT_TRUE(demo.Start({"--version-answer", offer}));
    auto cli = demo.Client();
    struct Case {
        std::string query;
        int status;
        std::string body;
    };
    const Case cases[] = {
        {"/getClientVersion.php?p=Vexa&g=xinghe&v=1.0.1.0", 200, offer},
        {"/getClientVersion.php?p=Vexa&g=xinghe&v=", 200, offer},
        {"/getClientVersion.php?p=Other&g=xinghe&v=1.0.1.0", 400, "unknown product"},
        {"/getClientVersion.php?p=Vexa&g=qingsong&v=1.0.1.0", 400, "unknown product"},
        {"/getClientVersion.php?p=Vexa&g=xinghe", 400, "unknown product"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.query);
        auto res = cli.Get(c.query);
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, c.status);
        EXPECT_EQ(res->body, c.body);
    }
}

TEST(DemoServerOptions, DownloadServesTheUpdateFileByteForByteWithItsLength) {
    fs::path dir = fs::temp_directory_path() / ("xinghe-demo-test-" + std::to_string(getpid()));
    fs::create_directories(dir);
    fs::path file = dir / "zqxinghe_new.exe";
    std::string bytes;
    for (int i = 0; i < 70000; ++i) bytes += static_cast<char>((i * 131 + i / 7) & 0xFF);  // zeros included
    std::ofstream(file, std::ios::binary) << bytes;

    {
        DemoProcess demo;
        ASSERT_TRUE(demo.Start({"--update-file", file.string()}));
        auto cli = demo.Client();
        auto res = cli.Get("/download/zqxinghe_new.exe");
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 200);
        EXPECT_EQ(res->get_header_value("Content-Length"), std::to_string(bytes.size()));
        EXPECT_EQ(res->get_header_value("Content-Type"), "application/octet-stream");
        EXPECT_TRUE(res->body == bytes);

        // The file is read per request, so a test can swap it while the server runs.
        std::ofstream(file, std::ios::binary | std::ios::trunc) << "MZ short";
        auto swapped = cli.Get("/download/zqxinghe_new.exe");
        ASSERT_TRUE(swapped);
        EXPECT_EQ(swapped->body, "MZ short");
        EXPECT_EQ(swapped->get_header_value("Content-Length"), "8");

        auto other = cli.Get("/download/other.exe");
        ASSERT_TRUE(other);
        EXPECT_EQ(other->status, 404);
    }
    {
        DemoProcess demo;
        ASSERT_TRUE(demo.Start({}));
        auto cli = demo.Client();
        auto res = cli.Get("/download/zqxinghe_new.exe");
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 404);
    }
    fs::remove_all(dir);
}

TEST(DemoServerOptions, RequestLogListsEveryRequestInOrderAlsoInTheLogFile) {
    fs::path logFile = fs::temp_directory_path() / ("xinghe-demo-log-" + std::to_string(getpid()) + ".txt");
    fs::remove(logFile);
    DemoProcess demo;
    ASSERT_TRUE(demo.Start({"--log", logFile.string()}));
    auto cli = demo.Client();

    auto empty = cli.Get("/__demo/requests");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->body, "");

    ASSERT_TRUE(cli.Get(kLogin));
    std::string cookie = LogIn(cli, "pilot");
    ASSERT_TRUE(cli.Get("/game/play.php?play_gamecode=xinghe&sid=2&svname=%E7%94%B5%E4%BF%A1%2F%E7%BD%91%E9%80%9A"));
    ASSERT_TRUE(cli.Get("/getClientVersion.php?p=Vexa&g=xinghe&v=1.0.1.0"));
    ASSERT_TRUE(cli.Get("/no/such/page?x=1"));
    const std::string expected =
        "GET /games/xhvx/dlq/\n"
        "POST /games/xhvx/dlq/login.php\n"
        "GET /game/play.php?play_gamecode=xinghe&sid=2&svname=%E7%94%B5%E4%BF%A1%2F%E7%BD%91%E9%80%9A\n"
        "GET /getClientVersion.php?p=Vexa&g=xinghe&v=1.0.1.0\n"
        "GET /no/such/page?x=1\n";

    auto log = cli.Get("/__demo/requests");
    ASSERT_TRUE(log);
    EXPECT_EQ(log->body, expected);

    auto cleared = cli.Post("/__demo/requests/clear", "", "text/plain");
    ASSERT_TRUE(cleared);
    EXPECT_EQ(cleared->status, 204);
    ASSERT_TRUE(cli.Get("/game/links.html"));
    auto after = cli.Get("/__demo/requests");
    ASSERT_TRUE(after);
    EXPECT_EQ(after->body, "GET /game/links.html\n");

    EXPECT_EQ(demo.Stop(), 0);
    std::ifstream in(logFile);
    std::string fileText((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(fileText, expected + "GET /game/links.html\n");
    fs::remove(logFile);
}

TEST_F(DemoServerTest, PagesReferenceOnlyAddressesTheServerHas) {
    auto cli = demo_.Client();
    std::string cookie = LogIn(cli, "pilot");
    httplib::Headers withSession{{"Cookie", cookie}};
    std::set<std::string> seen;
    const char* pages[] = {kLogin, kServers, "/game/links.html",
                           "/game/play.php?play_gamecode=xinghe&sid=1&svname=%E6%98%9F"};
    static const std::regex kRef("(?:href|src)=\"(/[^\"#]*)");
    for (const char* page : pages) {
        auto res = cli.Get(page, withSession);
        ASSERT_TRUE(res) << page;
        ASSERT_EQ(res->status, 200) << page;
        for (std::sregex_iterator it(res->body.begin(), res->body.end(), kRef), end; it != end; ++it) {
            seen.insert(HtmlUnescape((*it)[1]));
        }
    }
    EXPECT_TRUE(seen.count("/static/platform.css"));
    EXPECT_TRUE(seen.count("/static/game.css"));
    EXPECT_TRUE(seen.count("/static/xinghe.js"));
    for (const std::string& ref : seen) {
        if (ref.ends_with("logout.php")) continue;  // would end the session under test
        auto res = cli.Get(ref, withSession);
        ASSERT_TRUE(res) << ref;
        EXPECT_EQ(res->status, 200) << ref;
    }
    const std::pair<const char*, const char*> types[] = {{"/static/platform.css", "text/css; charset=utf-8"},
                                                         {"/static/xinghe.js", "application/javascript; charset=utf-8"},
                                                         {"/static/logo.svg", "image/svg+xml"}};
    for (auto [path, type] : types) {
        auto res = cli.Get(path);
        ASSERT_TRUE(res);
        EXPECT_EQ(res->get_header_value("Content-Type"), type) << path;
    }
    auto missing = cli.Get("/static/templates/login.html");
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->status, 404);
}

TEST_F(DemoServerTest, LinksPageHasOrdinaryLinksForTheClickObserver) {
    auto cli = demo_.Client();
    auto res = cli.Get("/game/links.html");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    int anchors = 0;
    for (std::size_t pos = 0; (pos = res->body.find("<a href=\"", pos)) != std::string::npos; ++pos) ++anchors;
    EXPECT_GE(anchors, 4);
    // A link whose text sits in child elements: a click lands on the span, not on the anchor.
    EXPECT_TRUE(std::regex_search(res->body, std::regex("<a href=\"[^\"]+\"><span[^>]*>")));
    EXPECT_TRUE(Contains(res->body, "<button"));
}

TEST(DemoServerOptions, BadCommandLinesEndTheProgramWithAnError) {
    const std::vector<std::vector<std::string>> cases = {
        {"--bogus"}, {"--port", "x"}, {"--port", "70000"}, {"--version-answer"},
        {"--update-file", "/nonexistent/xinghe.exe"}, {"--log", "/nonexistent/dir/log.txt"}};
    for (const auto& args : cases) {
        SCOPED_TRACE(args.front());
        DemoProcess demo;
        // "--port 0" comes first, so a later bad "--port" still decides.
        EXPECT_FALSE(demo.Start(args));
        EXPECT_NE(demo.Wait(), 0);
        EXPECT_TRUE(demo.ErrorText().starts_with("xinghe-demo: "));
    }
}

TEST(DemoServerOptions, APortInUseIsAnErrorNotAShare) {
    DemoProcess first;
    ASSERT_TRUE(first.Start({}));
    DemoProcess second;
    EXPECT_FALSE(second.Start({"--port", std::to_string(first.port())}));
    EXPECT_EQ(second.Wait(), 1);
    EXPECT_TRUE(Contains(second.ErrorText(), "cannot listen on 127.0.0.1:" + std::to_string(first.port())));
}

TEST(DemoServerOptions, TermSignalStopsTheServerCleanly) {
    DemoProcess demo;
    ASSERT_TRUE(demo.Start({}));
    int port = demo.port();
    EXPECT_EQ(demo.Stop(), 0);
    httplib::Client cli("127.0.0.1", port);
    cli.set_connection_timeout(1);
    EXPECT_FALSE(cli.Get("/"));
}

}  // namespace
