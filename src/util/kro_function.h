#pragma once
// Kro_Function: the store software's general helpers: value normalisation (Nz), files and
// folders, text slicing by code-page width, dates, numbers, system names, program start and
// network drives. Paths are Windows paths, mapped to the file system by the Host; a relative path
// is taken from the current folder. The helpers swallow their own errors and answer false or the
// empty text instead.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/host.h"
#include "util/variant.h"

namespace util {

// What the helpers share across the whole process: the drive letter of the last network
// connection ("X:" form, empty for none) and the current folder (a Windows path, empty for the
// program folder). The process owns one and hands it to every helper object it creates.
struct KroFunctionState {
    std::string netDriveLetter;
    std::string currentDir;
};

struct KroFunctionOptions {
    // Lets the window system process pending events; called where a helper waits.
    std::function<void()> yield;
    // Shared process state; when null the helper object keeps a state of its own.
    KroFunctionState* state = nullptr;
    // How long FileLoadStr waits for a missing or unfinished file before it gives up.
    std::chrono::milliseconds loadTimeout{10000};
    std::chrono::milliseconds loadRetryInterval{50};
};

class Kro_Function {
  public:
    explicit Kro_Function(host::Host& host, std::function<void()> yield = {});
    Kro_Function(host::Host& host, KroFunctionOptions options);

    // --- values -----------------------------------------------------------------------------
    // Normalises a value read from a record set. Empty ("not passed"), Null, "" and blanks give
    // "" with EQKind 1 and the integer 0 otherwise. EQKind 1: the value as trimmed text. A numeric
    // value: EQKind 2 the leading number of its text (Val) as a double, EQKind 3 the value as a
    // double, any other EQKind the value as currency. Anything else comes back unchanged.
    static Variant Nz(const Variant& Value = Variant(), int EQKind = 0);

    // --- files and folders ------------------------------------------------------------------
    // Writes WriteString and a line end (CR LF) to FileName, appending when AddMode is true and
    // replacing the file otherwise. When MkDirName is not blank that folder (and any missing
    // parent) is created first; an existing one is fine. False when anything fails.
    bool FileWriteStr(std::string_view FileName, std::string_view WriteString,
                      std::string_view MkDirName = "", bool AddMode = false);
    // Reads the lines of a text file into cAry: line k at index k, index 0 left as it was, the
    // vector sized to the line count + 1. A missing file (its folder existing) is waited for; with
    // WaitingCreate the file is read again while its last line is empty (the writer is not done).
    // Both waits end at the time-out of the options, and then the answer is false. Texts in the
    // ANSI code page are converted to UTF-8.
    bool FileLoadStr(std::vector<std::string>& cAry, std::string_view FileName,
                     bool WaitingCreate = false);
    // True when the file can be opened for reading (a folder cannot).
    bool FileExist(std::string_view FileName) const;
    // ChkOverWrite true: the copy fails when NewFilePathName exists already; false: an existing
    // file is replaced.
    bool FileCopy(std::string_view WonFilePathName, std::string_view NewFilePathName,
                  bool ChkOverWrite);
    // Copies, then deletes the source; the source stays when the copy failed.
    bool FileMove(std::string_view Source, std::string_view Destination, bool ChkOverWrite);
    bool FileDelete(std::string_view FileName);
    // Creates one folder (its parent must exist). True when the folder exists afterwards.
    bool DirMake(std::string_view PATH);
    // Creates every missing folder of the path, one level after the other.
    bool DirMake_Auto(std::string_view PATH);
    // Removes an empty folder.
    bool DirDelete(std::string_view PATH);

    // The text before the last "\", after it, and the path without its extension; "" when the
    // separator is missing (a dot counts only inside the last path component).
    static std::string FileGetPath(std::string_view FileName);
    static std::string FileGetFileName(std::string_view FileName);
    static std::string FileGetInSide확장자(std::string_view FileName);

    // The current folder, kept as a Windows path. SetCurrentDir fails (false) for a folder that
    // does not exist; GetCurrentDir gives the program folder until one is set.
    bool SetCurrentDir(const Variant& sPath);
    std::string GetCurrentDir() const;
    // Maps a Windows path (relative ones from the current folder); nullopt when it cannot be.
    std::optional<std::filesystem::path> NativePath(std::string_view windowsPath) const;

    // --- system -----------------------------------------------------------------------------
    std::string SysDir() const;
    std::string SysWinDir() const;
    std::string SysComName() const;
    std::string SysUserName() const;
    // Waits xSecond × 100 milliseconds.
    static void SleepX(int xSecond);
    // (cValue + 1) mod 2: 0 gives 1 and 1 gives 0.
    static std::int16_t ChkSwitchTuFa(std::int16_t cValue);
    // Opens the program without waiting for it. False when it could not be started.
    bool FileOpenEXE(std::string_view xPath);
    // Starts a command line (split by the Windows rules into program and arguments, never handed
    // to a shell); unless bNotWait, waits for the program to end and then lets the window system
    // process events.
    host::SpawnResult FileOpenEXEWait(std::string_view RunCommand, bool bNotWait = false);
    // Accepts the program path and does nothing else.
    static void SysProcessKill(std::string_view xExePath);

    // --- network drives ---------------------------------------------------------------------
    // Connects strNetDir to the first free drive letter from D: on and returns it ("D:" form), or
    // "" when it could not be connected. The letter is remembered in the shared state.
    std::string NetDirCon(std::string_view strPass, std::string_view strUser,
                          std::string_view strNetDir);
    // Drops the connection of the remembered letter (forgotten by the profile too).
    void NetDirDisCon();

    // --- text -------------------------------------------------------------------------------
    // Mid, Left and Right by code-page bytes (a Hangul syllable counts 2; start counted from 1).
    // A character that the cut would split is left out.
    static std::string SRMidH(std::string_view text, int start,
                              std::optional<int> length = std::nullopt);
    static std::string SRLeftH(std::string_view text, int length);
    static std::string SRRightH(std::string_view text, int length);
    // The text padded with blanks to nSpace bytes (cut to it when longer); ChkMoney writes a
    // number with thousands separators first, ChkRightAlign pads on the left.
    static std::string SRMidSpc(const Variant& nText, std::int16_t nSpace, bool ChkMoney = false,
                                bool ChkRightAlign = false);
    // Split at a separator text ("" gives no pieces); the n-th piece counted from 1 ("" when
    // there is none); the number of times the separator occurs.
    static std::vector<std::string> SR특정문자기준으로배열생성(std::string_view text,
                                                               std::string_view separator);
    static std::string SR특정문자찾아오기(std::string_view text, std::string_view separator, int n);
    static int SR특정문자갯수(std::string_view text, std::string_view separator);
    // A number as text with thousands separators and EQKind decimals (0 to 4); other values as
    // their trimmed text.
    static Variant SRFormat(const Variant& xValue, int EQKind = 0);
    // An amount in whole won with thousands separators ("1,234,567").
    static Variant SRFormat_Money(const Variant& xValue);
    // The current date and time as "yyyyMMddHHmmss".
    static std::string SR날짜시간Strim();
    // An MDB statement rewritten for SQL Server: "&" becomes "+", MID( becomes SUBSTRING( and
    // IIF(c, a, b) becomes CASE WHEN c THEN a ELSE b END. Quoted texts and [names] are untouched.
    static std::string SRMDBToSQLTwist(std::string_view sql);

    // --- arrays -----------------------------------------------------------------------------
    // Sorts the texts by their bytes, ascending when AryQur is 0 and descending otherwise; the
    // second form moves the entries of ary2 in step when it has at least as many (those beyond
    // Ary's size stay put) and leaves a shorter ary2 alone.
    static void ArySort_1St_STR(std::vector<std::string>& Ary, int AryQur);
    static void ArySort_1St_STR_WithOtherAry(std::vector<std::string>& Ary, int AryQur,
                                             std::vector<std::string>& ary2);

    // --- dates ------------------------------------------------------------------------------
    static std::string DD한글요일(DateTime date);      // "월요일" …
    static std::string DD월마지막일자(DateTime date);  // the last day of the month, "28" … "31"
    static std::string DD직전월(DateTime date);        // the previous month as "yyyyMM"

    // --- numbers ----------------------------------------------------------------------------
    // The integer part of b / a × 100, or 100 when either is 0.
    static double NMPercent(std::int32_t a, std::int32_t b);
    // nPercent percent of nValue.
    static Currency NMPercentValue(Currency nValue, std::int32_t nPercent);
    // Rounds half away from zero at the given decimal digit, on the value as it is written
    // (2.675 gives 2.68); negative digits round to tens, hundreds, ….
    static double NMRound(double value, int digits = 0);
    // The whole amount in Korean words: 12345 gives "일만이천삼백사십오", 0 gives "영".
    static std::string NM한글금액(const Variant& amount);

  private:
    // The absolute Windows path, "." and ".." resolved; nullopt for "" and "C:name" forms.
    std::optional<std::string> FullPath(std::string_view windowsPath) const;
    // Waits one retry interval, letting the window system run.
    void Pause();
    KroFunctionState& State() const { return *state_; }

    host::Host& host_;
    KroFunctionOptions options_;
    std::unique_ptr<KroFunctionState> ownState_;
    KroFunctionState* state_;
};

}  // namespace util
