// The salt commands where they meet the user: what each salt script receives
// and with which PATH, what the export leaves in its folder for the import,
// and that a salt's name or file never becomes a command.
#include "support/installation.h"

#include <algorithm>
#include <filesystem>

// The rows are a table: one row a case, laid out by hand so that a row
// reads as a line of it. The formatter would put every field on a line of
// its own.
// clang-format off
namespace {

namespace fs = std::filesystem;

const std::string kUsage = "Incorrect usage\n";
const std::string kImported = "Import salt finished.\n";
const std::string kExported = "Export salt finished.\n";
std::string importFailed(const std::string& name) {
  return "Import salt " + name +
         " failed, you can check your secure store is there exist an salt with same name.\n";
}
std::string exportFailed(const std::string& name) { return "Export salt " + name + " failed.\n"; }

const std::string kVexa = "{short:{tool}{/}vexa}";
const std::string kStore =
    "[" + kVexa + "] [{short:{tool}{/}templates{/}SOPIN.txt}]" +
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
// each salt's file (the file is the fifth argument the script receives).
RowSetup listing(const std::string& names) {
  RowSetup setup;
  setup.files = {{"{tool}{/}listsalt.writes", "4\n" + names},
                 {"{tool}{/}exportsalt.writes", "5\nsalt\n"},
                 {kOut + "{/}vexaexportSaltIndex.txt", "stale=stale.txt\n"}};
  return setup;
}

using SaltTable = Installation;

TEST_F(SaltTable, OneSaltGoesThroughItsScriptWithTheSaltSearchPath) {
  const std::string file = "{tool}{/}customer.txt";
  run({
      {{"-importsalt", "X", "customer", file}, kImported, 0, {}, {imported("customer", file, "X")},
       {}, nullptr, {"importsalt: PATH=" + kSaltPath}},
      {{"-importsalt", "-ALL", "a", "b"}, kImported, 0, {}, {imported("a", "b", "-ALL")}},
      {{"-importsalt", "X", "customer", file}, importFailed("customer") + kUsage, -2,
       {}, {imported("customer", file, "X")}, {"", {}, {{"importsalt", 5}}}},
      {{"-exportsalt", "X", "alpha", file}, kExported, 0, {}, {exported("alpha", file)}, {},
       nullptr, {"exportsalt: PATH=" + kSaltPath}},
      {{"-exportsalt", "X", "alpha", file}, exportFailed("alpha") + kUsage, -2,
       {}, {exported("alpha", file)}, {"", {}, {{"exportsalt", 1}}}},
  });
}

// The index as written, less the carriage returns that text mode puts
// before each line end on Windows.
std::string indexIn(const std::string& folder) {
  std::string text = readFile(folder + "/vexaexportSaltIndex.txt");
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  return text;
}

// The listing's lines lose their blanks and line ends; blank ones are no salts.
TEST_F(SaltTable, ExportOfAllSaltsIsReadBackByTheImportOfAll) {
  run({
      {{"-exportsalt", "-all", "X", kOut}, kExported, 0,
       {}, {listed(kOut), exported("alpha", kOut + "{/}alpha.txt"),
            exported("beta", kOut + "{/}beta.txt")},
       listing("  alpha  \r\n\r\n \t \r\nbeta\r\n"), nullptr, {"listsalt: PATH=" + kSaltPath}},
  });
  const std::string out = expand(kOut);
  EXPECT_EQ(indexIn(out), "alpha=alpha.txt\nbeta=beta.txt\n");
  EXPECT_FALSE(fs::exists(out + "/saltListFile.txt"));
  run({
      {{"-importsalt", "-all", "Y", kOut + "{/}vexaexportSaltIndex.txt"}, kImported, 0,
       {}, {imported("alpha", kOut + "{/}alpha.txt", "Y"),
            imported("beta", kOut + "{/}beta.txt", "Y")}},
  });
  EXPECT_EQ(readFile(out + "/alpha.txt"), "salt\n");
  EXPECT_EQ(readFile(out + "/beta.txt"), "salt\n");
  // The data folder's name holds a blank: the scripts get the paths below
  // it quoted, the tool opens them plain.
  run({
      {{"-exportsalt", "-all", "X", "{data}"}, kExported, 0,
       {}, {listed("{data}"), exported("alpha", "{data}{/}alpha.txt")}, listing("alpha\n")},
  });
  EXPECT_EQ(indexIn(expand("{data}")), "alpha=alpha.txt\n");
}

TEST_F(SaltTable, AFailedSaltStopsNothingAndStaysOutOfTheIndex) {
  RowSetup index;
  index.files = {{"{tool}{/}in{/}index.txt", "a=a.txt\n\nbeta=b.txt\nk=v=w\n"},
                 {"{tool}{/}importsalt.code", "3\nbeta"}};
  RowSetup exports = listing("alpha\nbeta\ngamma\n");
  exports.files["{tool}{/}exportsalt.code"] = "1\nbeta";
  RowSetup noListing = listing("alpha\n");
  noListing.exitCodes = {{"listsalt", 1}};
  run({
      {{"-importsalt", "-all", "X", "{tool}{/}in{/}index.txt"},
       importFailed("beta") + kImported + kUsage, -2,
       {}, {imported("a", "{tool}{/}in{/}a.txt", "X"), imported("beta", "{tool}{/}in{/}b.txt", "X"),
        imported("k", "{tool}{/}in{/}v=w", "X")},
       index},
      {{"-importsalt", "-all", "X", "index.txt"}, kImported, 0, {}, {}, index},
      {{"-importsalt", "-all", "X", "{tool}{/}none{/}index.txt"}, kImported, 0},
      {{"-exportsalt", "-all", "X", kOut}, exportFailed("beta") + kExported + kUsage, -2,
       {}, {listed(kOut), exported("alpha", kOut + "{/}alpha.txt"),
            exported("beta", kOut + "{/}beta.txt"), exported("gamma", kOut + "{/}gamma.txt")},
       exports},
  });
  EXPECT_EQ(indexIn(expand(kOut)), "alpha=alpha.txt\ngamma=gamma.txt\n");
  // A failed listing is no failure of the export; its file stays for a look.
  run({{{"-exportsalt", "-all", "X", kOut}, kExported, 0, {}, {listed(kOut)}, noListing}});
  EXPECT_EQ(indexIn(expand(kOut)), "");
  EXPECT_TRUE(fs::exists(expand(kOut + "{/}saltListFile.txt")));
}

// Each name would run a command if the interpreter read it; `&` does so in
// both interpreters, the rest in the one that runs the scripts here, where
// cmd.exe would also hand the script another name than the one given.
TEST_F(SaltTable, NamesFilesAndArgumentsThatHoldCommandSyntaxNeverReachTheInterpreter) {
  const std::string ran = "{tool}{/}ran";
  std::vector<std::string> names = {"x&echo y>" + ran, "x|echo y>" + ran};
  if (!scriptsRunInCmd())
    names.insert(names.end(),
                 {"x;touch " + ran, "$(touch " + ran + ")", "`touch " + ran + "`", "x$HOME"});
  else
    names.insert(names.end(), {"a%PATH%b", "a^b"});
  RowSetup index, exports = listing("a\n");
  std::string printedImport, printedExport;
  for (const std::string& name : names) {
    index.files["{tool}{/}in{/}index.txt"] += name + "=x.txt\n";
    exports.files["{tool}{/}listsalt.writes"] += name + "\n";
    printedImport += importFailed(name);
    printedExport += exportFailed(name);
  }
  // A zero byte would cut the command line short; printed, it ends the name.
  index.files["{tool}{/}in{/}index.txt"] +=
      std::string("n\0ul=x.txt\n", 11) + "c=c.txt&echo y>" + ran + "\nd=d.txt\n";
  exports.files["{tool}{/}listsalt.writes"] += "d\n";
  run({
      {{"-importsalt", "-all", "X", "{tool}{/}in{/}index.txt"},
       printedImport + importFailed("n") + importFailed("c") + kImported + kUsage, -2,
       {}, {imported("d", "{tool}{/}in{/}d.txt", "X")}, index, nullptr, {},
       {"index entry: name \"d\"", "holds command syntax: not handed to"}},
      {{"-exportsalt", "-all", "X", kOut}, printedExport + kExported + kUsage, -2,
       {}, {listed(kOut), exported("a", kOut + "{/}a.txt"), exported("d", kOut + "{/}d.txt")},
       exports, nullptr, {}, {"listed salt \"d\"", "run through ", "exit code 0"}},
      {{"-importsalt", "x&echo y>" + ran, "a", "a.txt"}, importFailed("a") + kUsage, -2},
      {{"-exportsalt", "X", "a\necho y>" + ran, "a.txt"}, exportFailed("a\necho y>" + ran) + kUsage,
       -2},
      // Every file would lie in such a folder: nothing is listed, and that
      // is a failure, not an empty store.
      {{"-exportsalt", "-all", "X", "{tool}{/}o&echo y>" + ran}, kExported + kUsage, -2},
  });
  EXPECT_EQ(indexIn(expand(kOut)), "a=a.txt\nd=d.txt\n");
  EXPECT_FALSE(fs::exists(expand(ran)));
}

}  // namespace
// clang-format on
