// The salt commands where they meet the user: what each salt script receives
// and with which PATH, what the export leaves in its folder for the import,
// and that a salt's name or file never becomes a command. The rows read as
// those of command_table_test.cpp.
#include "support/installation.h"

#include "platform/code_page.h"

#include <filesystem>

namespace {

namespace fs = std::filesystem;

const std::string kImported = "Import salt finished.\n";
const std::string kExported = "Export salt finished.\n";
std::string importFailed(const std::string& name) {
  return "Import salt " + name +
         " failed, you can check your secure store is there exist an salt with same name.\n";
}
std::string exportFailed(const std::string& name) { return "Export salt " + name + " failed.\n"; }

const std::string kVexa = "{short:{tool}{/}vexa}";
const std::string kStore = "[" + kVexa + "] [{short:{tool}{/}templates{/}SOPIN.txt}]" +
                           " [{short:{tool}{/}templates{/}vexa.ini}]";
// Each call as the recorder logs it: one bracket per argument the script got.
std::string imported(const std::string& name, const std::string& file, const std::string& arg) {
  return "importsalt " + kStore + " [{short:{tool}{/}templates{/}Valid-SOPIN.txt}] [" + name +
         "] [" + file + "] [" + arg + "]";
}
// The empty fourth argument vanishes between the two blanks around it.
std::string exported(const std::string& name, const std::string& file) {
  return "exportsalt " + kStore + " [" + name + "] [" + file + "] [X]";
}
std::string listed(const std::string& folder) {
  return "listsalt " + kStore + " [" + folder + "{/}saltListFile.txt]";
}
const std::string kSaltPath = kVexa + "{;}" + kVexa + "{/}..{/}..{/}..{/}..{/}bin{;}" + kVexa +
                              "{/}..{/}..{/}..{/}..{;}{path}";

const std::string kOut = "{tool}{/}out";
// An export into kOut whose listing names `names` and whose script writes
// each salt's file.
RowPart listing(const std::string& names) {
  return parts(writes("listsalt", 4, names), writes("exportsalt", 5, "salt\n"),
               file(kOut + "{/}vexaexportSaltIndex.txt", "stale=stale.txt\n"));
}

using SaltTable = Installation;

TEST_F(SaltTable, OneSaltGoesThroughItsScriptWithTheSaltSearchPath) {
  const std::string customer = "{tool}{/}customer.txt";
  run({
      row("-importsalt X customer " + customer, prints(kImported),
          runs(imported("customer", customer, "X")), records("importsalt", "PATH=" + kSaltPath)),
      row("-importsalt -ALL a b", prints(kImported), runs(imported("a", "b", "-ALL"))),
      row("-importsalt X customer " + customer, exits("importsalt", 5), status(-2),
          prints(importFailed("customer") + kUsage), runs(imported("customer", customer, "X"))),
      row("-exportsalt X alpha " + customer, prints(kExported), runs(exported("alpha", customer))),
      row("-exportsalt X alpha " + customer, exits("exportsalt", 1), status(-2),
          prints(exportFailed("alpha") + kUsage), runs(exported("alpha", customer))),
  });
}

// The index as written, in whatever mode the platform writes text.
std::string indexIn(const std::string& folder) {
  return lineFeedsOnly(readFile(folder + "/vexaexportSaltIndex.txt"));
}

// The listing's lines lose their blanks and line ends; blank ones are no salts.
TEST_F(SaltTable, ExportOfAllSaltsIsReadBackByTheImportOfAll) {
  run({
      row("-exportsalt -all X " + kOut, listing("  alpha  \r\n\r\n \t \r\nbeta\r\n"),
          prints(kExported), runs(listed(kOut)), runs(exported("alpha", kOut + "{/}alpha.txt")),
          runs(exported("beta", kOut + "{/}beta.txt")), records("listsalt", "PATH=" + kSaltPath)),
  });
  const std::string out = expand(kOut);
  EXPECT_EQ(indexIn(out), "alpha=alpha.txt\nbeta=beta.txt\n");
  EXPECT_FALSE(fs::exists(fs::u8path(out + "/saltListFile.txt")));
  run({
      row("-importsalt -all Y " + kOut + "{/}vexaexportSaltIndex.txt", prints(kImported),
          runs(imported("alpha", kOut + "{/}alpha.txt", "Y")),
          runs(imported("beta", kOut + "{/}beta.txt", "Y"))),
  });
  EXPECT_EQ(readFile(out + "/alpha.txt"), "salt\n");
  EXPECT_EQ(readFile(out + "/beta.txt"), "salt\n");
  // The data folder's name holds a blank: the scripts get the paths below
  // it quoted, the tool opens them plain.
  run({
      row("-exportsalt -all X {data}", listing("alpha\n"), prints(kExported),
          runs(listed("{data}")), runs(exported("alpha", "{data}{/}alpha.txt"))),
  });
  EXPECT_EQ(indexIn(expand("{data}")), "alpha=alpha.txt\n");
}

// Names in no legacy code page, and an index that an older installer wrote
// in its own (1252 here; POSIX has none), reach the scripts whole.
TEST_F(SaltTable, NamesOutsideTheLegacyCodePageAndIndexesWrittenInItGoThroughWhole) {
  run({
      row("-importsalt -all X {tool}{/}in{/}index.txt",
          file("{tool}{/}in{/}index.txt", fromUtf8("Zo\xC3\xAB=Zo\xC3\xAB.txt\n", 1252)),
          prints(kImported), runs(imported("Zo\xC3\xAB", "{tool}{/}in{/}Zo\xC3\xAB.txt", "X"))),
      row("-exportsalt -all X " + kOut, listing("顧客\n"), prints(kExported), runs(listed(kOut)),
          runs(exported("顧客", kOut + "{/}顧客.txt"))),
  });
  EXPECT_EQ(indexIn(expand(kOut)), "顧客=顧客.txt\n");
}

TEST_F(SaltTable, AFailedSaltStopsNothingAndStaysOutOfTheIndex) {
  const auto index = parts(file("{tool}{/}in{/}index.txt", "a=a.txt\n\nbeta=b.txt\nk=v=w\n"),
                           exits("importsalt", 3, "beta"));
  run({
      row("-importsalt -all X {tool}{/}in{/}index.txt", index, status(-2),
          prints(importFailed("beta") + kImported + kUsage),
          runs(imported("a", "{tool}{/}in{/}a.txt", "X")),
          runs(imported("beta", "{tool}{/}in{/}b.txt", "X")),
          runs(imported("k", "{tool}{/}in{/}v=w", "X"))),
      row("-importsalt -all X index.txt", index, prints(kImported)),
      row("-importsalt -all X {tool}{/}none{/}index.txt", prints(kImported)),
      row("-exportsalt -all X " + kOut, listing("alpha\nbeta\ngamma\n"),
          exits("exportsalt", 1, "beta"), prints(exportFailed("beta") + kExported + kUsage),
          status(-2), runs(listed(kOut)), runs(exported("alpha", kOut + "{/}alpha.txt")),
          runs(exported("beta", kOut + "{/}beta.txt")),
          runs(exported("gamma", kOut + "{/}gamma.txt"))),
  });
  EXPECT_EQ(indexIn(expand(kOut)), "alpha=alpha.txt\ngamma=gamma.txt\n");
  // A failed listing is no failure of the export; its file stays for a look.
  run({row("-exportsalt -all X " + kOut, listing("alpha\n"), exits("listsalt", 1),
           prints(kExported), runs(listed(kOut)))});
  EXPECT_EQ(indexIn(expand(kOut)), "");
  EXPECT_TRUE(fs::exists(std::filesystem::u8path(expand(kOut + "{/}saltListFile.txt"))));
}

// Each name would run a command if the interpreter read it; `&` does so in
// both interpreters, the rest in the one that runs the scripts here, where
// cmd.exe would also hand the script another name than the one given.
TEST_F(SaltTable, NamesFilesAndArgumentsThatHoldCommandSyntaxNeverReachTheInterpreter) {
  const std::string ran = "{tool}{/}ran";
  std::vector<std::string> names = {"x&echo y>" + ran, "x|echo y>" + ran};
  if (!kWindows)
    names.insert(names.end(),
                 {"x;touch " + ran, "$(touch " + ran + ")", "`touch " + ran + "`", "x$HOME"});
  else
    names.insert(names.end(), {"a%PATH%b", "a^b", "??", "a*"});
  std::string index, listedNames, printedImport, printedExport;
  for (const std::string& name : names) {
    index += name + "=x.txt\n";
    listedNames += name + "\n";
    printedImport += importFailed(name);
    printedExport += exportFailed(name);
  }
  // A zero byte would cut the command line short; printed, it ends the name.
  index += std::string("n\0ul=x.txt\n", 11) + "c=c.txt&echo y>" + ran + "\nd=d.txt\n";
  run({
      row("-importsalt -all X {tool}{/}in{/}index.txt", file("{tool}{/}in{/}index.txt", index),
          prints(printedImport + importFailed("n") + importFailed("c") + kImported + kUsage),
          status(-2), runs(imported("d", "{tool}{/}in{/}d.txt", "X")),
          traces("holds command syntax: not handed to")),
      row("-exportsalt -all X " + kOut, listing("a\n" + listedNames + "d\n"),
          prints(printedExport + kExported + kUsage), status(-2), runs(listed(kOut)),
          runs(exported("a", kOut + "{/}a.txt")), runs(exported("d", kOut + "{/}d.txt"))),
      row({"-importsalt", "x&echo y>" + ran, "a", "a.txt"}, prints(importFailed("a") + kUsage),
          status(-2)),
      row({"-exportsalt", "X", "a\necho y>" + ran, "a.txt"}, status(-2),
          prints(exportFailed("a\necho y>" + ran) + kUsage)),
      // Every file would lie in such a folder: nothing is listed, and that
      // is a failure, not an empty store.
      row({"-exportsalt", "-all", "X", "{tool}{/}o&echo y>" + ran}, prints(kExported + kUsage),
          status(-2)),
  });
  EXPECT_EQ(indexIn(expand(kOut)), "a=a.txt\nd=d.txt\n");
  EXPECT_FALSE(fs::exists(std::filesystem::u8path(expand(ran))));
}

}  // namespace
