#pragma once

#include <string_view>

namespace net {

// The platform's URL loading error codes (the NSURLErrorDomain values), the
// only codes a Transport reports.
inline constexpr long URLErrorUnknown = -1;
inline constexpr long URLErrorCancelled = -999;
inline constexpr long URLErrorBadURL = -1000;
inline constexpr long URLErrorTimedOut = -1001;
inline constexpr long URLErrorUnsupportedURL = -1002;
inline constexpr long URLErrorCannotFindHost = -1003;
inline constexpr long URLErrorCannotConnectToHost = -1004;
inline constexpr long URLErrorNetworkConnectionLost = -1005;
inline constexpr long URLErrorHTTPTooManyRedirects = -1007;
inline constexpr long URLErrorBadServerResponse = -1011;
inline constexpr long URLErrorCannotDecodeContentData = -1015;
inline constexpr long URLErrorAppTransportSecurityRequiresSecureConnection = -1022;
inline constexpr long URLErrorDataLengthExceedsMaximum = -1103;
inline constexpr long URLErrorSecureConnectionFailed = -1200;
inline constexpr long URLErrorServerCertificateHasBadDate = -1201;
inline constexpr long URLErrorServerCertificateUntrusted = -1202;

// The platform's description of one of the codes above ("cancelled", "The
// request timed out.", ...); the unknown-error text for any other code.
std::string_view urlErrorDescription(long code);

}  // namespace net
