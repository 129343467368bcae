#include "net/WinInetErrors.h"

#include "base/Texts.h"

namespace {

struct ErrorText {
  uint32_t code;
  const char* text;
};

constexpr ErrorText kErrorTexts[] = {
    {12001, kTextInternetOutOfHandles},
    {12002, kTextInternetTimeout},
    {12003, kTextInternetExtendedError},
    {12004, kTextInternetInternalError},
    {12005, kTextInternetInvalidUrl},
    {12006, kTextInternetUnrecognizedScheme},
    {12007, kTextInternetNameNotResolved},
    {12008, kTextInternetProtocolNotFound},
    {12009, kTextInternetInvalidOption},
    {12010, kTextInternetBadOptionLength},
    {12011, kTextInternetOptionNotSettable},
    {12012, kTextInternetShutdown},
    {12013, kTextInternetIncorrectUserName},
    {12014, kTextInternetIncorrectPassword},
    {12015, kTextInternetLoginFailure},
    {12016, kTextInternetInvalidOperation},
    {12017, kTextInternetOperationCancelled},
    {12018, kTextInternetIncorrectHandleType},
    {12019, kTextInternetIncorrectHandleState},
    {12020, kTextInternetNotProxyRequest},
    {12021, kTextInternetRegistryValueNotFound},
    {12022, kTextInternetBadRegistryParameter},
    {12023, kTextInternetNoDirectAccess},
    {12024, kTextInternetNoContext},
    {12025, kTextInternetNoCallback},
    {12026, kTextInternetRequestPending},
    {12027, kTextInternetIncorrectFormat},
    {12028, kTextInternetItemNotFound},
    {12029, kTextInternetCannotConnect},
    {12030, kTextInternetConnectionAborted},
    {12031, kTextInternetConnectionReset},
    {12036, kTextInternetHandleExists},
};

}  // namespace

const char* WinInetErrorText(uint32_t code, const char* fallback) {
  for (const ErrorText& entry : kErrorTexts) {
    if (entry.code == code) return entry.text;
  }
  return fallback;
}
