#pragma once

#include "Platform/AXValue.h"

#include <QString>

#include <exception>

namespace zorbel {

// The result code of a failed accessibility call. Operations of the layer
// report one by throwing it; the code is the platform's, unchanged.
class AXError : public std::exception {
public:
    // Any 32-bit code makes an AXError.
    explicit AXError(platform::AXCode code) noexcept : code_(code) {}

    platform::AXCode rawValue() const noexcept { return code_; }
    platform::AXCode code() const noexcept { return code_; }
    // "AXError.NoValue"; "AXError.<Unknown>" for a code without a name.
    QString description() const;
    const char* what() const noexcept override;

    friend bool operator==(const AXError& a, const AXError& b) noexcept { return a.code_ == b.code_; }

    // The error domain of this kind of error.
    static constexpr const char* domain = "ApplicationServices.AXError";

    static const AXError success;
    static const AXError failure;
    static const AXError illegalArgument;
    static const AXError invalidUIElement;
    static const AXError invalidUIElementObserver;
    static const AXError cannotComplete;
    static const AXError attributeUnsupported;
    static const AXError actionUnsupported;
    static const AXError notificationUnsupported;
    static const AXError notImplemented;
    static const AXError notificationAlreadyRegistered;
    static const AXError notificationNotRegistered;
    static const AXError apiDisabled;
    static const AXError noValue;
    static const AXError parameterizedAttributeUnsupported;
    static const AXError notEnoughPrecision;

private:
    platform::AXCode code_;
};

inline const AXError AXError::success{platform::axcode::success};
inline const AXError AXError::failure{platform::axcode::failure};
inline const AXError AXError::illegalArgument{platform::axcode::illegalArgument};
inline const AXError AXError::invalidUIElement{platform::axcode::invalidUIElement};
inline const AXError AXError::invalidUIElementObserver{platform::axcode::invalidUIElementObserver};
inline const AXError AXError::cannotComplete{platform::axcode::cannotComplete};
inline const AXError AXError::attributeUnsupported{platform::axcode::attributeUnsupported};
inline const AXError AXError::actionUnsupported{platform::axcode::actionUnsupported};
inline const AXError AXError::notificationUnsupported{platform::axcode::notificationUnsupported};
inline const AXError AXError::notImplemented{platform::axcode::notImplemented};
inline const AXError AXError::notificationAlreadyRegistered{platform::axcode::notificationAlreadyRegistered};
inline const AXError AXError::notificationNotRegistered{platform::axcode::notificationNotRegistered};
inline const AXError AXError::apiDisabled{platform::axcode::apiDisabled};
inline const AXError AXError::noValue{platform::axcode::noValue};
inline const AXError AXError::parameterizedAttributeUnsupported{
    platform::axcode::parameterizedAttributeUnsupported};
inline const AXError AXError::notEnoughPrecision{platform::axcode::notEnoughPrecision};

}  // namespace zorbel
