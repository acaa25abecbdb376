#include "support/log_script.h"

namespace tovu::test {

void RunScriptedLog(CBuildLogFile& log, const Text& path) {
  log.InitLogFile(path, 9);
  log.WriteStart();
  log.WriteRaw(u"Master Log File : %s\n", u"C:\\ProgramData\\Maravel\\Automation\\Logfiles\\Tovu.log");
  log.WriteLog(0, u"ExtractFile", u"Failed to open %s (error %d)", u"WebCab1", 5);
  log.WriteLog(1, u"IsEnvVarPresent", u"Env variable not supported..");
  log.WriteLog(8, u"InitInstance", u"Run mode %d", 510);
  log.WriteLog(9, u"CheckFreeSpace", u"Needed %.02f %s", 1.5, u"MB");
  log.WriteLog(10, u"Dropped", u"a level-10 line is above threshold 9");
  log.WriteLog(11, u"Dropped", u"a level-11 line is above threshold 9");
  log.InitLogFile(path, 11);
  log.WriteLog(10, u"Written", u"level 10 under threshold 11");
  log.WriteLog(11, u"ValidateCabinetFile", u"Set id %I64d", int64_t{38629});
  log.WriteLog(8, u"FortyCharacterFunctionNameFillsTheColumn", u"wide column");
  log.WriteLog(8, u"AFunctionNameOfFiftyCharactersIsCutAfterFortyFive_", u"cut");
  log.WriteLog(8, u"WriteLog", u"comma, kept");
  log.WriteLogNoFunction(8, u"User canceled, the extraction, process");
  log.WriteLog(8, u"Multiline", u"first\nsecond");
  log.WriteLog(8, u"Unicode", u"caf\u00e9 \u20ac ok");
  log.WriteLog(0, u"SecondError", u"again");
  log.WriteRaw(u"-------- System --------\nProcessors : %d\n", 2);
  log.WriteSummary();
  log.WriteRaw(u"%s\n", kLogEndBanner);
}

}  // namespace tovu::test
