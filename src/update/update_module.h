#pragma once
// The version check against the version service and the self-update that follows an offer.
#include <cstdint>
#include <string>

namespace xh {

inline constexpr unsigned kVersionQueryConnectTimeoutMs = 5000;
// The whole version query, connection to last byte: it runs on the login's thread, and a
// service that trickles its answer never stalls.
inline constexpr unsigned kVersionQueryDeadlineMs = 10000;
// A transfer that receives nothing for this long is given up rather than blocking the login.
inline constexpr unsigned kTransferStallTimeoutMs = 60000;
inline constexpr std::size_t kHttpPieceSize = 1024;
// The body is read in kHttpPieceSize pieces but written in larger blocks: one write per
// kilobyte costs a third of a loopback transfer's time.
inline constexpr std::size_t kDownloadWriteBlock = 64 * 1024;

// The leading decimal number of the answer, as wcstol reads it; an answer of at most five
// UTF-16 units or a negative number offers no update.
bool IsUpdateOffer(const std::string& response);

// Only http and https addresses are fetched. "" when the address may be opened, otherwise
// the message of the failure the platform would raise for it.
std::string UnusableAddressMessage(const std::string& url);

// Composes profile 191 + "/" + profile 192 + version text.
std::string ComposeVersionQuery(const std::string& serviceBase, const std::string& queryText,
                                const std::string& versionText);

class CUpdateModule {
public:
    // `tempFileName` is profile 118: the download's name (with its leading separator) in the
    // cache folder. Creates the cache folder and removes an old download.
    explicit CUpdateModule(const std::string& tempFileName);

    // Asks the service; true when it offers an update (DownloadUrl() then holds the address).
    bool CheckVersion(const std::string& serviceBase, const std::string& queryText, const std::string& versionText);
    // The service's answer; "" on every failure.
    std::string QueryVersionText();
    // Downloads to TempPath(); on success hands over and does not return.
    void DownloadUpdate(const std::string& downloadUrl);
    // Starts the downloaded program with "-d " + target and ends the process.
    [[noreturn]] static void HandOver(const std::string& tempPath, const std::string& targetPath);

    const std::string& QueryUrl() const { return m_queryUrl; }
    const std::string& TempPath() const { return m_tempPath; }
    const std::string& TargetPath() const { return m_targetPath; }
    const std::string& DownloadUrl() const { return m_downloadUrl; }

    // Tests shorten the time-outs.
    unsigned m_stallTimeoutMs = kTransferStallTimeoutMs;
    unsigned m_queryDeadlineMs = kVersionQueryDeadlineMs;

private:
    std::string m_queryUrl;
    std::string m_tempPath;
    std::string m_targetPath;
    std::string m_downloadUrl;
};

// One check per login window, on its first loaded page. Returns when there is nothing to
// do or something failed; after a complete download the process ends.
void RunUpdateCheck();

}  // namespace xh
