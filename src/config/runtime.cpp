#include "config/runtime.h"

#include "config/norv_conn.h"
#include "db/login_resolver.h"
#include "db/router.h"
#include "host/desktop.h"
#include "host/host.h"

namespace config {

namespace {

std::shared_ptr<const db::Router> MakeRouter(const host::Host& host, Access access) {
    auto logins = std::make_shared<const db::LoginResolver>(db::LoginResolver::Load(host));
    return std::make_shared<const db::Router>(
        host, std::move(logins), access == Access::ReadOnly,
        host::LockWaitFromEnvironment().value_or(host::kDefaultLockWaitSeconds));
}

}  // namespace

Runtime::Runtime(host::Host& host, host::Desktop& desktop, Access access)
    : access_(access),
      host_(host),
      desktop_(desktop),
      dialogs_(desktop),
      ado_{MakeRouter(host, access), desktop, dialogs_, dbInfo_} {}

Runtime::~Runtime() = default;

util::Kro_Function& Runtime::Utilities() {
    if (!utilities_) {
        util::KroFunctionOptions options;
        options.state = &utilityState_;
        options.yield = [this] { desktop_.DoEvents(); };
        utilities_ = std::make_unique<util::Kro_Function>(host_, std::move(options));
    }
    return *utilities_;
}

void Runtime::ReleaseUtilities() {
    utilities_.reset();
}

NorvConn& Runtime::Config() {
    if (!config_) config_ = std::make_unique<NorvConn>(*this);
    return *config_;
}

void Runtime::ReleaseConfig() {
    config_.reset();
}

}  // namespace config
