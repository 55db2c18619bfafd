#pragma once
#include <httplib.h>

#include <condition_variable>
#include <fstream>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "options.h"

namespace xh::demo {

class DemoServer {
public:
    explicit DemoServer(const Options& options);

    // Opens the log file and binds 127.0.0.1; the bound port, or -1 with `error` set.
    int Start(std::string& error);
    // Serves until Stop() is called.
    void Serve();
    void Stop();

private:
    void AddRoutes();
    void Record(const httplib::Request& req);
    std::string AccountOf(const httplib::Request& req);
    std::string NewSessionId();

    void LoginPage(const httplib::Request& req, httplib::Response& res);
    void Login(const httplib::Request& req, httplib::Response& res);
    void Logout(const httplib::Request& req, httplib::Response& res);
    void ServerList(const httplib::Request& req, httplib::Response& res);
    void GamePage(const httplib::Request& req, httplib::Response& res);
    void StaticFile(const httplib::Request& req, httplib::Response& res);
    void VersionService(const httplib::Request& req, httplib::Response& res);
    void Download(const httplib::Request& req, httplib::Response& res);

    Options options_;
    httplib::Server server_;

    std::mutex mutex_;  // guards everything below
    std::map<std::string, std::string> sessions_;  // session id -> account
    std::string versionAnswer_;
    int versionSilenceMs_ = 0;  // how long the version service keeps a caller waiting
    bool stopping_ = false;
    std::condition_variable stopped_;
    std::vector<std::string> requests_;
    std::ofstream log_;
    std::mt19937_64 random_;
};

}  // namespace xh::demo
