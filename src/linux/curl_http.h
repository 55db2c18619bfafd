#pragma once
#include "platform/ports.h"

namespace xh::linuxport {

// HTTP GET through libcurl, pulled piece by piece like the framework's internet files:
// Open waits for the response's head, Read hands out the body as the caller asks for it.
class CurlHttp final : public IHttp {
public:
    CurlHttp();
    ~CurlHttp() override;
    CurlHttp(const CurlHttp&) = delete;
    CurlHttp& operator=(const CurlHttp&) = delete;

    std::unique_ptr<IHttpRequest> Open(const std::string& url, const HttpOptions& options,
                                       std::string& error) override;
};

}  // namespace xh::linuxport
