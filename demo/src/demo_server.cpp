#include "demo_server.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <sstream>

#include "assets.h"
#include "html.h"

namespace xh::demo {
namespace {

const char kLoginPath[] = "/games/xhvx/dlq/";
const char kServersPath[] = "/games/xhvx/dlq/servers.php";
const char kSessionCookie[] = "XHSESSID";
const char kHtml[] = "text/html; charset=utf-8";

struct GameServer {
    int sid;
    const char* name;
    const char* status;
    const char* statusClass;
};

// Names exercise what a launcher must survive in "svname": Chinese text, a "/", spaces,
// "&", "#" and full-width punctuation.
const GameServer kServers[] = {
    {1, "星河一区", "火爆", "hot"},
    {2, "电信/网通 双线二区", "繁忙", "busy"},
    {3, "银河三区·新服", "新服", "new"},
    {4, "猎户座 S4", "流畅", "ok"},
    {5, "仙女座&天琴 五区", "流畅", "ok"},
    {6, "天鹰座 #6（推荐）", "推荐", "new"},
};

std::string Asset(const std::string& name) {
    auto data = FindAsset(name);
    return data ? std::string(*data) : std::string();
}

std::string Render(const std::string& tpl, const std::map<std::string, std::string>& values) {
    return RenderTemplate(Asset("templates/" + tpl), values);
}

// Platform pages share one frame: header with the platform and game name, footer.
std::string Layout(const std::string& title, const std::string& content) {
    return Render("layout.html", {{"TITLE", HtmlEscape(title)}, {"CONTENT", content}});
}

std::string GameHref(const GameServer& server) {
    // svname stays last: the launcher takes everything after it as the server's name.
    return "/game/play.php?play_gamecode=xinghe&sid=" + std::to_string(server.sid) +
           "&svname=" + PercentEncode(server.name);
}

std::string ServerItem(const GameServer& server, const std::string& tpl) {
    return Render(tpl, {{"HREF", HtmlEscape(GameHref(server))},
                        {"NAME", HtmlEscape(server.name)},
                        {"SID", std::to_string(server.sid)},
                        {"STATUS", HtmlEscape(server.status)},
                        {"STATUS_CLASS", server.statusClass}});
}

std::string MimeType(const std::string& name) {
    auto ends = [&](const char* ext) { return name.ends_with(ext); };
    if (ends(".css")) return "text/css; charset=utf-8";
    if (ends(".js")) return "application/javascript; charset=utf-8";
    if (ends(".svg")) return "image/svg+xml";
    if (ends(".png")) return "image/png";
    if (ends(".html")) return kHtml;
    return "application/octet-stream";
}

void SendHtml(httplib::Response& res, const std::string& body) {
    // Pages depend on the session cookie; a cached copy would greet the wrong player.
    res.set_header("Cache-Control", "no-store");
    res.set_content(body, kHtml);
}

std::string Trim(const std::string& text) {
    std::size_t begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos) return "";
    std::size_t end = text.find_last_not_of(" \t\r\n");
    return text.substr(begin, end - begin + 1);
}

}  // namespace

DemoServer::DemoServer(const Options& options)
    : options_(options), versionAnswer_(options.versionAnswer), random_(std::random_device{}()) {
    AddRoutes();
}

int DemoServer::Start(std::string& error) {
    if (!options_.logFile.empty()) {
        log_.open(options_.logFile, std::ios::app);
        if (!log_) {
            error = "cannot open log file " + options_.logFile;
            return -1;
        }
    }
    if (!options_.updateFile.empty() && !std::filesystem::is_regular_file(options_.updateFile)) {
        error = "no such update file: " + options_.updateFile;
        return -1;
    }
    int port = options_.port;
    if (port == 0) {
        port = server_.bind_to_any_port("127.0.0.1");
    } else if (!server_.bind_to_port("127.0.0.1", port)) {
        port = -1;
    }
    if (port < 0) error = "cannot listen on 127.0.0.1:" + std::to_string(options_.port);
    return port;
}

void DemoServer::Serve() { server_.listen_after_bind(); }

void DemoServer::Stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    stopped_.notify_all();
    server_.stop();
}

void DemoServer::Record(const httplib::Request& req) {
    // The admin endpoints stay out of the log so that reading it does not change it.
    if (req.path.starts_with("/__demo/")) return;
    std::string line = req.method + " " + req.target;
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(line);
    if (log_.is_open()) log_ << line << std::endl;
}

std::string DemoServer::AccountOf(const httplib::Request& req) {
    std::string prefix = std::string(kSessionCookie) + "=";
    std::size_t count = req.get_header_value_count("Cookie");
    for (std::size_t i = 0; i < count; ++i) {
        std::istringstream cookies(req.get_header_value("Cookie", i));
        std::string cookie;
        while (std::getline(cookies, cookie, ';')) {
            cookie = Trim(cookie);
            if (!cookie.starts_with(prefix)) continue;
            std::lock_guard<std::mutex> lock(mutex_);
            auto it = sessions_.find(cookie.substr(prefix.size()));
            if (it != sessions_.end()) return it->second;
        }
    }
    return "";
}

std::string DemoServer::NewSessionId() {
    static const char kHex[] = "0123456789abcdef";
    std::lock_guard<std::mutex> lock(mutex_);
    std::string id;
    for (int part = 0; part < 2; ++part) {
        auto bits = random_();
        for (int i = 0; i < 16; ++i, bits >>= 4) id += kHex[bits & 0xF];
    }
    return id;
}

void DemoServer::AddRoutes() {
    using httplib::Request;
    using httplib::Response;

    // The library's default adds SO_REUSEPORT, which would let a second demo share the port
    // silently; SO_REUSEADDR alone still allows a quick restart.
    server_.set_socket_options([](socket_t sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
    });
    server_.set_pre_routing_handler([this](const Request& req, Response&) {
        Record(req);
        return httplib::Server::HandlerResponse::Unhandled;
    });
    server_.set_error_handler([](const Request&, Response& res) {
        if (!res.body.empty()) return;
        std::string title = res.status == 404 ? "页面不存在" : "请求出错";
        SendHtml(res, Layout(title, Render("error.html", {{"STATUS", std::to_string(res.status)},
                                                          {"TITLE", HtmlEscape(title)}})));
    });

    server_.Get("/", [](const Request&, Response& res) { res.set_redirect(kLoginPath); });
    server_.Get("/games/xhvx/dlq", [](const Request&, Response& res) { res.set_redirect(kLoginPath); });
    server_.Get(kLoginPath, [this](const Request& req, Response& res) { LoginPage(req, res); });
    server_.Post("/games/xhvx/dlq/login.php", [this](const Request& req, Response& res) { Login(req, res); });
    server_.Get("/games/xhvx/dlq/login.php", [](const Request&, Response& res) { res.set_redirect(kLoginPath); });
    server_.Get("/games/xhvx/dlq/logout.php", [this](const Request& req, Response& res) { Logout(req, res); });
    server_.Get(kServersPath, [this](const Request& req, Response& res) { ServerList(req, res); });
    server_.Get("/game/play.php", [this](const Request& req, Response& res) { GamePage(req, res); });
    server_.Get("/game/links.html", [](const Request&, Response& res) {
        SendHtml(res, Layout("公告与帮助", Render("links.html", {})));
    });
    server_.Get("/static/(.+)", [this](const Request& req, Response& res) { StaticFile(req, res); });
    // Browsers ask for it on their own; an empty answer keeps 404s out of their consoles.
    server_.Get("/favicon.ico", [](const Request&, Response& res) { res.status = 204; });
    server_.Get("/getClientVersion.php", [this](const Request& req, Response& res) { VersionService(req, res); });
    server_.Get("/download/(.+)", [this](const Request& req, Response& res) { Download(req, res); });

    server_.Get("/__demo/requests", [this](const Request&, Response& res) {
        std::string text;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            for (const std::string& line : requests_) text += line + "\n";
        }
        res.set_content(text, "text/plain; charset=utf-8");
    });
    server_.Post("/__demo/requests/clear", [this](const Request&, Response& res) {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.clear();
        res.status = 204;
    });
    server_.Get("/__demo/version", [this](const Request&, Response& res) {
        std::lock_guard<std::mutex> lock(mutex_);
        res.set_content(versionAnswer_, "text/plain; charset=utf-8");
    });
    // A version service that holds its callers this many milliseconds before it answers.
    server_.Post("/__demo/version-silence", [this](const Request& req, Response& res) {
        std::lock_guard<std::mutex> lock(mutex_);
        versionSilenceMs_ = std::atoi(req.body.c_str());
        res.status = 204;
    });
    server_.Post("/__demo/version", [this](const Request& req, Response& res) {
        std::lock_guard<std::mutex> lock(mutex_);
        versionAnswer_ = req.body;
        res.status = 204;
    });
}

void DemoServer::LoginPage(const httplib::Request& req, httplib::Response& res) {
    std::string account = AccountOf(req);
    std::string session;
    if (!account.empty()) session = Render("login_session.html", {{"ACCOUNT", HtmlEscape(account)}});
    SendHtml(res, Layout("登录", Render("login.html", {{"SESSION", session}})));
}

void DemoServer::Login(const httplib::Request& req, httplib::Response& res) {
    std::string account = Trim(req.get_param_value("account"));
    std::string password = req.get_param_value("password");
    if (account.empty() || password.empty()) {
        std::string error = Render("login_error.html", {});
        SendHtml(res, Layout("登录", Render("login.html", {{"ERROR", error}, {"ACCOUNT", HtmlEscape(account)}})));
        return;
    }
    std::string id = NewSessionId();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        sessions_[id] = account;
    }
    // No Expires/Max-Age: the session ends with the browser.
    res.set_header("Set-Cookie", std::string(kSessionCookie) + "=" + id + "; Path=/; HttpOnly");
    res.set_redirect(kServersPath, 303);
}

void DemoServer::Logout(const httplib::Request& req, httplib::Response& res) {
    std::string prefix = std::string(kSessionCookie) + "=";
    std::istringstream cookies(req.get_header_value("Cookie"));
    std::string cookie;
    while (std::getline(cookies, cookie, ';')) {
        cookie = Trim(cookie);
        if (!cookie.starts_with(prefix)) continue;
        std::lock_guard<std::mutex> lock(mutex_);
        sessions_.erase(cookie.substr(prefix.size()));
    }
    res.set_header("Set-Cookie", std::string(kSessionCookie) + "=; Path=/; Max-Age=0; HttpOnly");
    res.set_redirect(kLoginPath, 303);
}

void DemoServer::ServerList(const httplib::Request& req, httplib::Response& res) {
    std::string account = AccountOf(req);
    if (account.empty()) {
        res.set_redirect(kLoginPath, 303);
        return;
    }
    std::string items;
    for (const GameServer& server : kServers) items += ServerItem(server, "server_item.html");
    SendHtml(res, Layout("选择服务器", Render("servers.html", {{"ACCOUNT", HtmlEscape(account)},
                                                              {"RECOMMENDED", ServerItem(kServers[0], "server_hero.html")},
                                                              {"SERVERS", items}})));
}

void DemoServer::GamePage(const httplib::Request& req, httplib::Response& res) {
    if (req.get_param_value("play_gamecode") != "xinghe") {
        res.status = 404;
        return;
    }
    std::string account = AccountOf(req);
    std::string player = account.empty() ? Render("player_guest.html", {})
                                         : Render("player.html", {{"ACCOUNT", HtmlEscape(account)}});
    std::string server = req.get_param_value("svname");
    if (server.empty()) server = "未知服务器";
    std::string sid = req.get_param_value("sid");
    if (sid.empty()) sid = "-";
    SendHtml(res, Render("game.html", {{"SERVER_NAME", HtmlEscape(server)},
                                       {"SID", HtmlEscape(sid)},
                                       {"PLAYER", player}}));
}

void DemoServer::StaticFile(const httplib::Request& req, httplib::Response& res) {
    std::string name = "static/" + std::string(req.matches[1]);
    auto data = FindAsset(name);
    if (!data) {
        res.status = 404;
        return;
    }
    res.set_content(std::string(*data), MimeType(name).c_str());
}

void DemoServer::VersionService(const httplib::Request& req, httplib::Response& res) {
    if (req.get_param_value("p") != "Vexa" || req.get_param_value("g") != "xinghe" || !req.has_param("v")) {
        res.status = 400;
        res.set_content("unknown product", "text/plain");
        return;
    }
    std::unique_lock<std::mutex> lock(mutex_);
    stopped_.wait_for(lock, std::chrono::milliseconds(versionSilenceMs_), [this] { return stopping_; });
    res.set_content(versionAnswer_, "text/plain");
}

void DemoServer::Download(const httplib::Request& req, httplib::Response& res) {
    std::filesystem::path file(options_.updateFile);
    if (options_.updateFile.empty() || std::string(req.matches[1]) != file.filename().string()) {
        res.status = 404;
        return;
    }
    // Read on every request so that a test may replace the file while the server runs.
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        res.status = 404;
        return;
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    res.set_header("Content-Disposition", "attachment; filename=\"" + file.filename().string() + "\"");
    res.set_content(bytes, "application/octet-stream");
}

}  // namespace xh::demo
