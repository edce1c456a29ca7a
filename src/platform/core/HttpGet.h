#pragma once

#include <QString>

#include <cstddef>
#include <functional>
#include <stdexcept>

class EHttpError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An HTTP GET whose body is handed over as it arrives, with the work notices of a download:
// work-begin once the response headers are in (the announced size, 0 when none is announced) and
// work after every piece of the body (the count so far). No proxy is used and redirects are not
// followed. Throws EHttpError for an address that is not http or https, a network failure, a
// response that is not 2xx, a body that ends short of its announced size, a sink that refuses a
// piece, or no byte for stallSeconds.
struct THttpGetCallbacks {
    std::function<void(qint64 expected)> WorkBegin;
    std::function<void(qint64 countSoFar)> Work;
    std::function<bool(const char *data, std::size_t size)> Body; // false stops the transfer
};

void HttpGet(const QString &url, const THttpGetCallbacks &callbacks, int stallSeconds = 60);
