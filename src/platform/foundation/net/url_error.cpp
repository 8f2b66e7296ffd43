#include "platform/foundation/net/url_error.h"

namespace net {

std::string_view urlErrorDescription(long code) {
  switch (code) {
    case URLErrorCancelled: return "cancelled";
    case URLErrorBadURL: return "bad URL";
    case URLErrorTimedOut: return "The request timed out.";
    case URLErrorUnsupportedURL: return "unsupported URL";
    case URLErrorCannotFindHost: return "A server with the specified hostname could not be found.";
    case URLErrorCannotConnectToHost: return "Could not connect to the server.";
    case URLErrorNetworkConnectionLost: return "The network connection was lost.";
    case URLErrorHTTPTooManyRedirects: return "too many HTTP redirects";
    case URLErrorBadServerResponse: return "bad server response";
    case URLErrorCannotDecodeContentData: return "cannot decode raw data";
    case URLErrorAppTransportSecurityRequiresSecureConnection:
      return "The resource could not be loaded because the App Transport Security policy requires the use of a "
             "secure connection.";
    case URLErrorDataLengthExceedsMaximum: return "resource exceeds maximum size";
    case URLErrorSecureConnectionFailed:
      return "An SSL error has occurred and a secure connection to the server cannot be made.";
    case URLErrorServerCertificateHasBadDate: return "The certificate for this server has expired.";
    case URLErrorServerCertificateUntrusted: return "The certificate for this server is invalid.";
    default: return "unknown error";
  }
}

}  // namespace net
