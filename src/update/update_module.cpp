#include "update/update_module.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <vector>

#include "app/file_digest.h"
#include "app/profile.h"
#include "app/startup_args.h"
#include "app/update_log.h"
#include "app/utf.h"
#include "app/version_text.h"
#include "login/text_encoding.h"
#include "platform/ports.h"
#include "settings/settings.h"
#include "update/path_text.h"

namespace xh {
namespace {

constexpr const char* kDownloadException = "Try Download File Exception";
// The framework hands out at most this many characters of an exception's message.
constexpr std::size_t kMaxExceptionText = 254;

void LogException(const char* heading, const std::string& message) {
    WriteUpdateLog(heading);
    WriteUpdateLog(TruncateUtf16(message, kMaxExceptionText));
}

std::string Printf(const char* format, long value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

}  // namespace

bool IsUpdateOffer(const std::string& response) {
    if (Utf16Length(response) <= 5) return false;
    return ParseDecimalLong(Utf8ToUtf16(response)) >= 0;
}

std::string UnusableAddressMessage(const std::string& url) {
    const auto colon = url.find("://");
    if (colon == std::string::npos || colon == 0) return "The URL is invalid";
    const std::string scheme = Lower(url.substr(0, colon));
    if (scheme != "http" && scheme != "https") return "The URL does not use a recognized protocol";
    return {};
}

std::string ComposeVersionQuery(const std::string& serviceBase, const std::string& queryText,
                                const std::string& versionText) {
    return serviceBase + "/" + queryText + versionText;
}

CUpdateModule::CUpdateModule(const std::string& tempFileName) {
    IFileSystem& files = *ports().files;
    const std::string appData = ports().folders->AppData();
    const std::string programPath = ports().process->ModulePath();
    const std::string cache = JoinPath(appData, "cache");
    if (!files.Exists(cache)) files.CreateDirectory(cache);
    m_tempPath = cache + tempFileName;
    if (files.Exists(m_tempPath)) files.RemoveFile(m_tempPath);
    m_targetPath = GetDataFolder() + FileNamePart(programPath);
}

bool CUpdateModule::CheckVersion(const std::string& serviceBase, const std::string& queryText,
                                 const std::string& versionText) {
    m_queryUrl = ComposeVersionQuery(serviceBase, queryText, versionText);
    const std::string response = QueryVersionText();
    WriteUpdateLog("Server response check version msg:" + response);
    if (!IsUpdateOffer(response)) {
        WriteUpdateLog("Finish Update.");
        WriteUpdateLog(kUpdateLogSeparator);
        return false;
    }
    m_downloadUrl = response;
    return true;
}

std::string CUpdateModule::QueryVersionText() {
    std::string response;
    try {
        if (const std::string unusable = UnusableAddressMessage(m_queryUrl); !unusable.empty()) {
            LogException(kDownloadException, unusable);
            return response;
        }
        std::string error;
        const auto request = ports().http->Open(
            m_queryUrl, HttpOptions{kVersionQueryConnectTimeoutMs, m_stallTimeoutMs, m_queryDeadlineMs}, error);
        if (!request) {
            LogException(kDownloadException, error);
            return response;
        }
        const long status = request->StatusCode();
        WriteUpdateLog(Printf("Http QueryInfoStatusCode:%ld", status));
        if (status >= 400) return response;

        // One piece of 1024 bytes, the last of which stays free for the terminator: a longer
        // answer is cut, never read past its buffer.
        char buffer[kHttpPieceSize] = {};
        std::size_t filled = 0;
        while (filled < sizeof buffer - 1) {
            const long n = request->Read(buffer + filled, sizeof buffer - 1 - filled);
            if (n < 0) {
                LogException(kDownloadException, request->Error());
                return response;
            }
            if (n == 0) break;
            filled += static_cast<std::size_t>(n);
        }
        buffer[filled] = '\0';
        response = AnsiToWide(std::string_view(buffer, filled));
        return response;
    } catch (const std::exception& e) {
        LogException(kDownloadException, e.what());
        return response;
    }
}

void CUpdateModule::DownloadUpdate(const std::string& downloadUrl) {
    WriteUpdateLog("ExcuUpdate,URL=" + downloadUrl);
    try {
        if (const std::string unusable = UnusableAddressMessage(downloadUrl); !unusable.empty()) {
            LogException(kDownloadException, unusable);
            return;
        }
        std::string error;
        // No deadline: a big file on a slow line is legitimate, only a stall is not.
        auto request = ports().http->Open(downloadUrl, HttpOptions{0, m_stallTimeoutMs, 0}, error);
        if (!request) {
            LogException(kDownloadException, error);
            return;
        }
        const long status = request->StatusCode();
        WriteUpdateLog(Printf("Http QueryInfoStatusCode:%ld", status));
        if (status >= 400) return;

        const std::int64_t announced = ParseDecimalLong(Utf8ToUtf16(request->ContentLength()));
        WriteUpdateLog(Printf("Content length:%ld", static_cast<long>(announced)));

        // The probe creates the file; a file that cannot be opened never matches.
        constexpr std::int64_t kProbeFailed = 0xFFFFFFFF;
        std::int64_t onDisk = kProbeFailed;
        if (ports().files->AppendExclusive(m_tempPath, std::string())) {
            if (const auto size = ports().files->FileSize(m_tempPath)) onDisk = static_cast<std::int64_t>(*size);
        }
        if (onDisk == announced) {
            WriteUpdateLog("ERROR!Before download dwFileSize == dwToatlSize,exit");
            return;
        }

        auto file = ports().fileOps->OpenForAppend(m_tempPath);
        if (!file) return;
        std::int64_t received = 0;
        std::vector<char> block;
        block.reserve(kDownloadWriteBlock);
        const auto flush = [&] {
            const bool ok = block.empty() || file->Write(block.data(), block.size());
            block.clear();
            return ok;
        };
        char piece[kHttpPieceSize];
        for (;;) {
            const long n = request->Read(piece, sizeof piece);
            if (n < 0) {
                flush();
                LogException(kDownloadException, request->Error());
                return;
            }
            if (n == 0) break;
            block.insert(block.end(), piece, piece + n);
            if (block.size() >= kDownloadWriteBlock && !flush()) {
                LogException(kDownloadException, file->Error());
                return;
            }
            received += n;
        }
        if (!flush()) {
            LogException(kDownloadException, file->Error());
            return;
        }
        file.reset();
        request.reset();

        if (received + onDisk != announced) return;
        WriteUpdateLog(Printf("Finish download,file size=%ld", static_cast<long>(announced)));
        std::string md5;
        GetFileMd5(m_tempPath, md5);
        WriteUpdateLog("Finish download,file md5=" + md5);
    } catch (const std::exception& e) {
        LogException(kDownloadException, e.what());
        return;
    }
    HandOver(m_tempPath, m_targetPath);
}

void CUpdateModule::HandOver(const std::string& tempPath, const std::string& targetPath) {
    ports().starter->Start(tempPath, "-d " + targetPath);
    ports().process->Exit(0);
    std::abort();  // Exit does not come back
}

void RunUpdateCheck() {
    TrimUpdateLog();
    CUpdateModule module(LoadProfileString(kIdsUpdateTempFile));
    const std::string serviceBase = LoadProfileString(kIdsVersionServiceBase);
    const std::string queryText = LoadProfileString(kIdsVersionServicePath);
    const std::string versionText = GetFileVersionText(ports().process->ModulePath());
    WriteUpdateLog(ComposeVersionQuery(serviceBase, queryText, versionText));
    if (!module.CheckVersion(serviceBase, queryText, versionText)) return;
    module.DownloadUpdate(module.DownloadUrl());
}

}  // namespace xh
