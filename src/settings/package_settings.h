// The package settings file Properties_Tovu.ini: the names of its sections
// and keys as the program reads them, and the few reading rules shared by
// every reader. Values are read through CProfile at each use, never cached.
#pragma once

#include <cstdint>

#include "settings/profile.h"
#include "util/text.h"

namespace tovu::pkg {

constexpr const char16_t* kSettingsFileName = u"Properties_Tovu.ini";

// Text values are read into buffers of this many characters (at most 1,023
// of them), with the default "".
constexpr size_t kValueBufferChars = 1024;
// [Size] 128MB when missing or 0.
constexpr uint32_t kDefaultBufferPer128MB = 5242880;

namespace section {
constexpr const char16_t* kPackage = u"Package";
constexpr const char16_t* kRuntime = u"Runtime";
constexpr const char16_t* kDialogs = u"Dialogs";
constexpr const char16_t* kLogFiles = u"LogFiles";
constexpr const char16_t* kImages = u"Images";
constexpr const char16_t* kLanguages = u"Languages";
constexpr const char16_t* kLanguagesUpper = u"LANGUAGES";  // the same section
constexpr const char16_t* kLicenseFiles = u"LicenseFiles";
constexpr const char16_t* kSecurityLicenseFiles = u"SecurityLicenseFiles";
constexpr const char16_t* kTovu = u"Tovu";
constexpr const char16_t* kSize = u"Size";
constexpr const char16_t* kFileCount = u"FileCount";
constexpr const char16_t* kTemporary = u"Temporary";
constexpr const char16_t* kOS = u"OS";
constexpr const char16_t* kConditions = u"Conditions";
constexpr const char16_t* kReadRegEntries = u"ReadRegEntries";
constexpr const char16_t* kReadRegEntries64 = u"ReadRegEntries64";
constexpr const char16_t* kPartFileInfo = u"PartFileIno";  // spelled so in packages
constexpr const char16_t* kHashCode = u"HashCode";
}  // namespace section

namespace key {
// [Package]
constexpr const char16_t* kName = u"Name";
constexpr const char16_t* kNameDispl = u"NameDispl";
constexpr const char16_t* kVersionString = u"VersionString";
constexpr const char16_t* kMultiPartDownload = u"MultiPartDownload";
constexpr const char16_t* kMultipartFileName = u"MultipartFileName";
constexpr const char16_t* kCheckOs = u"CheckOs";
constexpr const char16_t* kSetuptype = u"Setuptype";
// [Runtime]
constexpr const char16_t* kAllowChangeTarget = u"AllowChangeTarget";
constexpr const char16_t* kExtractPath = u"ExtractPath";
constexpr const char16_t* kExtractPathMaxLength = u"ExtractPathMaxLength";
constexpr const char16_t* kAutoLaunch = u"AutoLaunch";  // also the stem of AutoLaunch1, AutoLaunch2, ...
constexpr const char16_t* kMultilaunch = u"Multilaunch";
constexpr const char16_t* kWaitForAutolaunchFinish = u"WaitForAutolaunchFinish";
constexpr const char16_t* kExitOnAutolaunchFailure = u"ExitOnAutolaunchFailure";
constexpr const char16_t* kAutoLaunchInstallationDialog = u"AutoLaunchInstallationDialog";
constexpr const char16_t* kMode = u"Mode";
constexpr const char16_t* kCheckAdmin = u"CheckAdmin";
constexpr const char16_t* kExtractPasswordRequired = u"ExtractPasswordRequired";
constexpr const char16_t* kExtractionPassword = u"ExtractionPassword";
constexpr const char16_t* kDisplayWelcomeImage = u"DisplayWelcomeImage";
constexpr const char16_t* kOpenExtractionLocation = u"OpenExtractionLocation";
// [Dialogs]
constexpr const char16_t* kWelcomeDialog = u"WelcomeDialog";
constexpr const char16_t* kLanguageDialog = u"LanguageDialog";
constexpr const char16_t* kLicenseDialog = u"LicenseDialog";
// [LogFiles]
constexpr const char16_t* kExtractLogFileName = u"ExtractLogFileName";
// [Images]
constexpr const char16_t* kTopImage = u"TopImage";
constexpr const char16_t* kBottomImage = u"BOTTOMImage";
// [Languages]
constexpr const char16_t* kSetupLanguages = u"SetupLanguages";
// [Tovu]
constexpr const char16_t* kFrameVersion = u"FrameVersion";
constexpr const char16_t* kGuid2 = u"GUID2";
constexpr const char16_t* kRequired = u"Required";
constexpr const char16_t* kRahmensetup = u"Rahmensetup";
constexpr const char16_t* kVrelBundle = u"VrelBundle";
// [Size]
constexpr const char16_t* kCabSize = u"CabSize";
constexpr const char16_t* kPackageSize = u"PackageSize";
constexpr const char16_t* k128MB = u"128MB";
// [FileCount]
constexpr const char16_t* kCount = u"Count";
// [Temporary]
constexpr const char16_t* kNumber = u"Number";
// [OS]
constexpr const char16_t* kNoOSCheck = u"NoOSCheck";
constexpr const char16_t* kOsAllowed = u"osallowed";
}  // namespace key

// Tovu temp folder (ending with "\") + "Properties_Tovu.ini".
Text SettingsFilePath(const Text& tovuTempFolder);

// A text value: 1,024-character buffer, default "".
Text ReadText(CProfile& profile, const Text& file, const Text& section, const Text& key);
// A flag is on only when its value is exactly "1".
bool IsFlagOn(CProfile& profile, const Text& file, const Text& section, const Text& key);
// An integer value with the INI integer reader.
int ReadInt(CProfile& profile, const Text& file, const Text& section, const Text& key, int defaultValue);
// [Size] 128MB: the extraction buffer size per 128 MiB of memory; a missing
// key, 0 or a negative value give 5242880.
uint32_t ReadBufferPer128MB(CProfile& profile, const Text& file);
// A numbered key: stem followed by the decimal number ("AutoLaunch" 2 ->
// "AutoLaunch2").
Text NumberedKey(const Text& stem, int number);

}  // namespace tovu::pkg
