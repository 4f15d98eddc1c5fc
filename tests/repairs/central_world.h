#pragma once
// A store world with the reference data of the prescription drug repairs (the builders of
// demo/drug_reference.h): the vendor's central server with DB_NVMAIN, served from an embedded
// folder and named in [Central] of the login-resolution file, and SimStdCd.MDB.
#include <string>
#include <vector>

#include "db/login_resolver.h"
#include "demo/drug_reference.h"
#include "demo/store_database.h"
#include "fixtures/world.h"
#include "host/host.h"
#include "host/profile.h"
#include "repairs/store_world.h"

namespace central_test {

// The central server's reference database.
inline demo::ServerStore ReferenceStore() {
    return demo::ReferenceStore("NORV-HQ", "C:\\Quillon\\Central", "#qvtrmlpz$5");
}

// A store world whose login file also serves the central server with an empty reference table.
class CentralWorld : public store_test::StoreWorld {
  public:
    explicit CentralWorld(store_test::Kind kind) : StoreWorld(kind) {
        demo::CreateDrugReference(host_, ReferenceStore());
        MakeRuntime();
    }

    const host::Host& HostRef() const { return host_; }

    // Adds rows (T-SQL statements) to the reference database.
    void AddReference(const std::vector<std::string>& sql) {
        fixtures::RunOnDatabase(demo::ServerStoreFile(host_, ReferenceStore()),
                                db::Dialect::SqlServer, "", sql);
    }

    // Names a server in [Central] that the login file does not know; call before Make.
    void LoseCentralServer() {
        host::UpdateProfileFile(*host_.Native(db::kDefaultLoginFile), [](host::ProfileDocument& d) {
            return d.Set("Central", "Server", "NO-SUCH-SERVER");
        });
        MakeRuntime();
    }
};

}  // namespace central_test
