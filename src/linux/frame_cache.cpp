#include "linux/frame_cache.h"

#include <dirent.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#include <webkit2/webkit2.h>
#include <xcb/xcb.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>

#include "app/utf.h"
#include "linux/web_view.h"

// Xlib last: its macros clash with names in the headers above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <gdk/gdkx.h>

namespace xh::linuxport {
namespace {

constexpr const char* kRequestProperty = "_XINGHE_CACHE_REQUEST";
constexpr const char* kReplyProperty = "_XINGHE_CACHE_REPLY";
constexpr const char* kMessageAtom = "_XINGHE_WINDOW_MESSAGE";  // as WindowMessageAtom
constexpr std::size_t kEntryRecordBytes = 80;
constexpr auto kCacheTypes = static_cast<WebKitWebsiteDataTypes>(WEBKIT_WEBSITE_DATA_MEMORY_CACHE |
                                                                 WEBKIT_WEBSITE_DATA_DISK_CACHE);

xcb_atom_t InternAtom(xcb_connection_t* c, const char* name) {
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

}  // namespace

// The worker's own connection: Xlib's of the GTK thread must not be used from here.
struct EngineUrlCache::Connection {
    xcb_connection_t* c = nullptr;
    xcb_window_t reply = 0;
    xcb_atom_t message = 0, request = 0, answer = 0, utf8 = 0;

    Connection() {
        c = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(c)) return;
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        reply = xcb_generate_id(c);
        xcb_create_window(c, 0, reply, screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                          XCB_COPY_FROM_PARENT, 0, nullptr);
        message = InternAtom(c, kMessageAtom);
        request = InternAtom(c, kRequestProperty);
        answer = InternAtom(c, kReplyProperty);
        utf8 = InternAtom(c, "UTF8_STRING");
    }
    ~Connection() {
        if (reply && !xcb_connection_has_error(c)) xcb_destroy_window(c, reply);
        xcb_disconnect(c);
    }
    bool Ok() const { return !xcb_connection_has_error(c) && reply; }
};

EngineUrlCache::EngineUrlCache(WindowId gameWindow, std::chrono::milliseconds timeout)
    : m_game(gameWindow), m_timeout(timeout) {}

EngineUrlCache::~EngineUrlCache() { delete m_x; }

std::size_t EngineUrlCache::EntrySize(const UrlCacheEntry& entry) {
    return kEntryRecordBytes + 2 * (Utf16Length(entry.sourceUrl) + 1);
}

std::optional<std::string> EngineUrlCache::Request(long operation, const std::string& argument) {
    if (!m_game) return std::nullopt;
    if (!m_x) m_x = new Connection();
    if (!m_x->Ok()) return std::nullopt;
    xcb_connection_t* c = m_x->c;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, m_x->reply, m_x->request, m_x->utf8, 8,
                        static_cast<std::uint32_t>(argument.size()), argument.data());
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = static_cast<xcb_window_t>(ToXWindow(m_game));
    event.type = m_x->message;
    event.data.data32[0] = WM_GAMEWND_CACHE;
    event.data.data32[1] = static_cast<std::uint32_t>(operation);
    event.data.data32[2] = m_x->reply;
    const xcb_void_cookie_t sent = xcb_send_event_checked(c, 0, event.window, XCB_EVENT_MASK_NO_EVENT,
                                                          reinterpret_cast<const char*>(&event));
    if (xcb_generic_error_t* error = xcb_request_check(c, sent)) {
        std::free(error);  // the game window is gone
        return std::nullopt;
    }
    const auto deadline = std::chrono::steady_clock::now() + m_timeout;
    for (;;) {
        while (xcb_generic_event_t* e = xcb_poll_for_event(c)) {
            std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> owned(e, &std::free);
            if ((e->response_type & 0x7F) != XCB_CLIENT_MESSAGE) continue;
            const auto* m = reinterpret_cast<const xcb_client_message_event_t*>(e);
            if (m->window != m_x->reply || m->type != m_x->message || m->data.data32[0] != WM_GAMEWND_CACHE_DONE) {
                continue;
            }
            std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> prop(
                xcb_get_property_reply(c, xcb_get_property(c, 1, m_x->reply, m_x->answer, XCB_GET_PROPERTY_TYPE_ANY,
                                                           0, 1 << 20),
                                       nullptr),
                &std::free);
            if (!prop) return std::string();
            return std::string(static_cast<const char*>(xcb_get_property_value(prop.get())),
                               static_cast<std::size_t>(xcb_get_property_value_length(prop.get())));
        }
        if (xcb_connection_has_error(c)) return std::nullopt;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return std::nullopt;
        pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
        ::poll(&fd, 1, static_cast<int>(left.count()));
    }
}

bool EngineUrlCache::FindFirst(std::size_t& size, UrlCacheEntry* entry) {
    if (!m_entries) {
        m_entries.emplace();
        if (const auto reply = Request(kCacheList, {})) {
            std::istringstream lines(*reply);
            for (std::string line; std::getline(lines, line);) {
                // name TAB cache-flag cookie-flag
                const auto tab = line.find('\t');
                if (tab == std::string::npos || line.size() < tab + 3) continue;
                const std::string name = line.substr(0, tab);
                if (line[tab + 1] == '1') m_entries->push_back({"cache:" + name, false});
                if (line[tab + 2] == '1') m_entries->push_back({"Cookie:" + name, true});
            }
        }
    }
    m_next = 0;
    return Give(size, entry);
}

bool EngineUrlCache::FindNext(std::size_t& size, UrlCacheEntry* entry) { return Give(size, entry); }

bool EngineUrlCache::Give(std::size_t& size, UrlCacheEntry* entry) {
    if (!m_entries || m_next >= m_entries->size()) return false;
    const UrlCacheEntry& e = (*m_entries)[m_next];
    if (!entry || size < EntrySize(e)) {
        size = EntrySize(e);
        return false;
    }
    *entry = e;
    ++m_next;
    return true;
}

bool EngineUrlCache::Delete(const std::string& sourceUrl) {
    static const std::string kPrefix = "cache:";
    // Cookies have no entry that could be deleted here.
    if (sourceUrl.rfind(kPrefix, 0) != 0) return false;
    const auto reply = Request(kCacheRemoveRecord, sourceUrl.substr(kPrefix.size()));
    return reply && *reply == "1";
}

void EngineUrlCache::Close() {
    Request(kCacheClearAll, {});
    m_entries.reset();
}

std::optional<std::vector<FolderEntry>> PosixCacheFolder::List(const std::string& folder) {
    struct CloseDir {
        void operator()(DIR* d) const { ::closedir(d); }
    };
    std::unique_ptr<DIR, CloseDir> dir(::opendir(folder.c_str()));
    if (!dir) return std::nullopt;
    std::vector<FolderEntry> entries;
    while (const dirent* e = ::readdir(dir.get())) {
        bool directory = e->d_type == DT_DIR;
        if (e->d_type == DT_UNKNOWN) {
            struct stat st {};
            directory = ::lstat((folder + "/" + e->d_name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        }
        entries.push_back({e->d_name, directory});
    }
    return entries;
}

void PosixCacheFolder::ClearReadOnly(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && !S_ISLNK(st.st_mode) && !(st.st_mode & S_IWUSR)) {
        ::chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR);
    }
}

bool PosixCacheFolder::RemoveDirectory(const std::string& path) { return ::rmdir(path.c_str()) == 0; }

bool PosixCacheFolder::DeleteFile(const std::string& path, long& error) {
    if (::unlink(path.c_str()) == 0) return true;
    error = errno;
    return false;
}

std::string EngineCacheFolder() { return WebDataFolder() + "/cache"; }

void WriteDebugLine(const std::string& text) {
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
}

// ---- the game host's side ---------------------------------------------------------------

namespace {

struct PendingRequest {
    Window reply = 0;
    long operation = 0;
    std::string argument;
};

void Answer(const PendingRequest& request, const std::string& text) {
    Display* display = GdkXDisplay();
    GdkDisplay* gd = gdk_display_get_default();
    // The worker may have given up and gone.
    gdk_x11_display_error_trap_push(gd);
    XChangeProperty(display, request.reply, XInternAtom(display, kReplyProperty, False),
                    XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
    gdk_x11_display_error_trap_pop_ignored(gd);
    SendWindowMessage(display, request.reply, {WM_GAMEWND_CACHE_DONE, request.operation, 0});
}

std::string ReadRequestArgument(Window reply) {
    Display* display = GdkXDisplay();
    GdkDisplay* gd = gdk_display_get_default();
    gdk_x11_display_error_trap_push(gd);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string text;
    if (XGetWindowProperty(display, reply, XInternAtom(display, kRequestProperty, False), 0, 1 << 16, False,
                           AnyPropertyType, &type, &format, &count, &after, &data) == Success &&
        data && format == 8) {
        text.assign(reinterpret_cast<const char*>(data), count);
    }
    if (data) XFree(data);
    gdk_x11_display_error_trap_pop_ignored(gd);
    return text;
}

WebKitWebsiteDataManager* DataManager() {
    return webkit_web_context_get_website_data_manager(SharedWebContext());
}

void FreeRecords(GList* records) {
    g_list_free_full(records, reinterpret_cast<GDestroyNotify>(webkit_website_data_unref));
}

void OnFetched(GObject* source, GAsyncResult* result, gpointer data) {
    std::unique_ptr<PendingRequest> request(static_cast<PendingRequest*>(data));
    GList* records = webkit_website_data_manager_fetch_finish(WEBKIT_WEBSITE_DATA_MANAGER(source), result, nullptr);
    if (request->operation == kCacheList) {
        std::string text;
        for (GList* l = records; l; l = l->next) {
            auto* record = static_cast<WebKitWebsiteData*>(l->data);
            const auto types = webkit_website_data_get_types(record);
            text += webkit_website_data_get_name(record);
            text += '\t';
            text += (types & kCacheTypes) ? '1' : '0';
            text += (types & WEBKIT_WEBSITE_DATA_COOKIES) ? '1' : '0';
            text += '\n';
        }
        FreeRecords(records);
        Answer(*request, text);
        return;
    }
    // Remove one record's cached content.
    GList* chosen = nullptr;
    for (GList* l = records; l; l = l->next) {
        auto* record = static_cast<WebKitWebsiteData*>(l->data);
        if (request->argument == webkit_website_data_get_name(record)) chosen = g_list_append(chosen, record);
    }
    if (!chosen) {
        FreeRecords(records);
        Answer(*request, "0");
        return;
    }
    auto* pending = request.release();
    webkit_website_data_manager_remove(
        DataManager(), kCacheTypes, chosen, nullptr,
        [](GObject* src, GAsyncResult* res, gpointer d) {
            std::unique_ptr<PendingRequest> done(static_cast<PendingRequest*>(d));
            const bool ok = webkit_website_data_manager_remove_finish(WEBKIT_WEBSITE_DATA_MANAGER(src), res, nullptr);
            Answer(*done, ok ? "1" : "0");
        },
        pending);
    g_list_free(chosen);
    FreeRecords(records);
}

}  // namespace

bool HandleCacheRequest(const WindowMessage& message) {
    if (message.message != WM_GAMEWND_CACHE) return false;
    auto* request = new PendingRequest{static_cast<Window>(static_cast<unsigned long>(message.lParam) & 0xFFFFFFFFul),
                                       message.wParam, {}};
    switch (message.wParam) {
        case kCacheList:
            webkit_website_data_manager_fetch(
                DataManager(), static_cast<WebKitWebsiteDataTypes>(kCacheTypes | WEBKIT_WEBSITE_DATA_COOKIES), nullptr,
                OnFetched, request);
            break;
        case kCacheRemoveRecord:
            request->argument = ReadRequestArgument(request->reply);
            webkit_website_data_manager_fetch(DataManager(), kCacheTypes, nullptr, OnFetched, request);
            break;
        case kCacheClearAll:
            webkit_website_data_manager_clear(
                DataManager(), kCacheTypes, 0, nullptr,
                [](GObject* src, GAsyncResult* res, gpointer d) {
                    std::unique_ptr<PendingRequest> done(static_cast<PendingRequest*>(d));
                    const bool ok =
                        webkit_website_data_manager_clear_finish(WEBKIT_WEBSITE_DATA_MANAGER(src), res, nullptr);
                    Answer(*done, ok ? "1" : "0");
                },
                request);
            break;
        default: delete request; break;
    }
    return true;
}

}  // namespace xh::linuxport
