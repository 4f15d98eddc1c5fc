#pragma once
// Writing the configuration back (NorvConn::ActionSave_Basic, ActionSave_StandardConfig, defined
// in config_save.cpp) and the routines of the same family that are not members: the update of
// every configuration table with the "데이터1" and standard-database settings, and the copy of
// the store software's local files from the system folder into "C:\Quillon".
namespace util {
class Kro_Function;
}

namespace config {

class NorvConn;

// Writes 데이터_SQLServer_S, 데이터_SQLDataName_S, 데이터_SQLID_S, 데이터_SQLPass_S,
// 데이터_SQLConMode_S and the six standard-database items of conn's configuration object into
// every configuration table of the shared connection's database (the tables whose name begins
// with "CONFIG", except CONFIGPC and CONFIG_SYS). False at the first statement that fails, and
// when there is no shared connection. Nothing in the program calls it; it is kept for the
// support tools.
bool ActionSave_AllConfigTables(NorvConn& conn);

// Copies NVConfig.INI, QLPRIM.INI, tallymain.mdb, seatclient.mdb and QL6SYS.INI from the system
// folder into "C:\Quillon" where they are missing there (creating the folder); files already in
// "C:\Quillon" are never replaced and the system folder keeps its copies. NVConfig.INI is copied
// whether or not the system folder has it: when it cannot be copied, db::DbError 53 (file not
// found) or 75 (path/file access error) is thrown after nothing else was copied.
void CopyLocalFilesToProductFolder(util::Kro_Function& fn);

}  // namespace config
