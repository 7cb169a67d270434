#include "PellamGenFixture.h"

TEST_F(PellamGen, ListsEveryDatabaseOnceInUtf8)
{
    Outcome r = Run("databases " + Connection());
    EXPECT_EQ(r.Code, 0) << r.Err;
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < r.Out.size();) {
        std::size_t end = r.Out.find('\n', at);
        lines.push_back(r.Out.substr(at, end - at));
        at = end + 1;
    }
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{"Alpha", "NOLK", "master", "中文"}));
    // The password can come from standard input.
    r = Run("databases --host " + server.Host(), "Pellam#2026");
    EXPECT_EQ(r.Code, 0) << r.Err;
}

TEST_F(PellamGen, ASnapshotWithLabelsGeneratesWhatTheWindowWould)
{
    Outcome r = Run("schema " + Connection() + " --to " + dir.File("nolk.json"));
    ASSERT_EQ(r.Code, 0) << r.Err;
    std::string json = ReadFile(dir.File("nolk.json"));
    std::string from =
        "\"name\": \"V_Users\",\n      \"schema\": \"dbo\",\n      \"label\": \"V_Users\"";
    ASSERT_NE(json.find(from), std::string::npos) << json;
    json.replace(json.find(from), from.size(),
                 "\"name\": \"V_Users\",\n      \"schema\": \"dbo\",\n      \"label\": \"Users\"");
    testsupport::WriteFile(dir.File("nolk.json"), json);

    r = Run("generate --schema " + dir.File("nolk.json") + " --output " + dir.File("Output"));
    ASSERT_EQ(r.Code, 0) << r.Err;
    std::vector<std::string> names;
    for (const auto& [file, expected] : kRelabelledFiles) {
        names.push_back(file);
        EXPECT_EQ(FirstDifference(Expected(expected), ReadFile(dir.File("Output/" + file))), "")
            << file;
    }
    EXPECT_EQ(ListFiles(dir.File("Output")), names);
}

TEST_F(PellamGen, TheSnapshotRoundTripGivesTheSameBytesAsTheServer)
{
    ASSERT_EQ(Run("generate " + Connection() + " --output " + dir.File("a")).Code, 0);
    ASSERT_EQ(Run("schema " + Connection() + " --to " + dir.File("s.json")).Code, 0);
    ASSERT_EQ(Run("generate --schema " + dir.File("s.json") + " --output " + dir.File("b")).Code,
              0);
    std::vector<std::string> files = ListFiles(dir.File("a"));
    EXPECT_EQ(files, ListFiles(dir.File("b")));
    EXPECT_EQ(files.size(), 11u);
    for (const std::string& f : files)
        EXPECT_EQ(ReadFile(dir.File("a/" + f)), ReadFile(dir.File("b/" + f))) << f;
    EXPECT_EQ(FirstDifference(Expected("V_UsersOperator.cpp.expected"),
                              ReadFile(dir.File("a/DBComm/DBTables/V_UsersOperator.cpp"))),
              "");
}

TEST_F(PellamGen, AWrongPasswordExitsThreeAndWritesNothing)
{
    Outcome r = Run("generate --host " + server.Host() + " --output " + dir.File("Output"), "nope");
    EXPECT_EQ(r.Code, 3);
    EXPECT_NE(r.Err.find("[FreeTDS][SQL Server]Login failed for user 'sa'."), std::string::npos)
        << r.Err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("Output")));
    EXPECT_EQ(Run("generate " + Connection() + " --database Nowhere --output " + dir.File("Output"))
                  .Code,
              3);
}

TEST_F(PellamGen, AFailedCatalogueStatementExitsThreeAndWritesNothing)
{
    // Each statement the server refuses: a table's columns, a view's
    // columns, a table's unwritable columns.
    for (const char* denied : {"[syscolumns].[id]=OBJECT_ID(N'[dbo].[Staff]')",
                               "[syscolumns].[id]=OBJECT_ID(N'[dbo].[V_Users]')",
                               "[id]=OBJECT_ID(N'[dbo].[Log]') AND"}) {
        StandIn denying(Fixture(kNolk), {"--deny", denied});
        std::string connection = "--host " + denying.Host() + " --password-env PW";
        Outcome r = Run("schema " + connection);
        EXPECT_EQ(r.Code, 3) << denied;
        EXPECT_EQ(r.Out, "") << denied;
        EXPECT_NE(r.Err.find("permission was denied"), std::string::npos) << r.Err;
        r = Run("generate " + connection + " --output " + dir.File("Output"));
        EXPECT_EQ(r.Code, 3) << denied;
        EXPECT_FALSE(std::filesystem::exists(dir.File("Output"))) << denied;
    }
}

TEST_F(PellamGen, AnUnsupportedTypeExitsOneWritesNothingAndNamesEveryProblemOnALineOfItsOwn)
{
    Outcome r =
        Run("generate " + Connection() + " --database alpha --output " + dir.File("Output"));
    EXPECT_EQ(r.Code, 1);
    EXPECT_EQ(r.Err.rfind("pellam-gen: 1 处问题，没有生成也没有清除任何文件：\n"
                          "pellam-gen: 1 个字段的数据类型不支持：加 --types extended，或用 --type "
                          "指定\n",
                          0),
              0u)
        << r.Err;
    EXPECT_NE(r.Err.find("\npellam-gen: B:g:数据类型 uniqueidentifier 不支持"), std::string::npos)
        << r.Err;
    // Every line says who says it.
    for (std::size_t at = 0; at < r.Err.size(); at = r.Err.find('\n', at) + 1)
        EXPECT_EQ(r.Err.compare(at, 12, "pellam-gen: "), 0) << r.Err.substr(at);
    EXPECT_FALSE(std::filesystem::exists(dir.File("Output/DBComm")));
    // With extended types the same database generates whole.
    r = Run("generate " + Connection() + " --database alpha --types extended --output " +
            dir.File("Output"));
    EXPECT_EQ(r.Code, 0) << r.Err;
    EXPECT_TRUE(std::filesystem::exists(dir.File("Output/DBComm/DBTables/BOperator.h")));
}

TEST_F(PellamGen, RefusedNamesBadSnapshotsAndUnwritableFiles)
{
    testsupport::
        WriteFile(dir.File("bad-name.json"),
                  R"({"tables": [{"name": "T", "label": "1T", "columns": []}], "views": []})");
    Outcome r =
        Run("generate --schema " + dir.File("bad-name.json") + " --output " + dir.File("o1"));
    EXPECT_EQ(r.Code, 1);
    EXPECT_NE(r.Err.find("\npellam-gen: 1T:不以字母开头（翻译或改名后可生成）\n"),
              std::string::npos)
        << r.Err;

    testsupport::WriteFile(dir.File("malformed.json"),
                           R"({"tables": [{"name": "T", "columns": [{"name": 5}]}], "views": []})");
    r = Run("generate --schema " + dir.File("malformed.json") + " --output " + dir.File("o2"));
    EXPECT_EQ(r.Code, 2);
    EXPECT_NE(r.Err.find("tables[0].columns[0].name"), std::string::npos) << r.Err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("o2")));
    testsupport::WriteFile(dir.File("broken.json"), "{\"tables\": [");
    EXPECT_EQ(Run("generate --schema " + dir.File("broken.json") + " --output " + dir.File("o2"))
                  .Code,
              2);
    EXPECT_FALSE(std::filesystem::exists(dir.File("o2")));

    // Each folder or file that cannot be made is named.
    testsupport::WriteFile(dir.File("plain"), "x");
    r = Run("generate " + Connection() + " --output " + dir.File("plain/Output"));
    EXPECT_EQ(r.Code, 4);
    EXPECT_NE(r.Err.find("创建输出目录出错：" + dir.File("plain/Output")), std::string::npos)
        << r.Err;
    testsupport::MakeDir(dir.File("o3/DBComm/DBTables/LogOperator.h"));
    r = Run("generate " + Connection() + " --output " + dir.File("o3"));
    EXPECT_EQ(r.Code, 4);
    EXPECT_NE(r.Err.find("无法创建文件：" + dir.File("o3/DBComm/DBTables/LogOperator.h")),
              std::string::npos)
        << r.Err;
}

TEST_F(PellamGen, ClearDeletesOnlyEarlierGeneratedFilesAndOnlyWhenTheRunIsNotRefused)
{
    // The output folder is the user's project: only the DBComm tree is ours.
    std::string out = dir.File("proj");
    ASSERT_EQ(Run("generate " + Connection() + " --output " + out).Code, 0);
    testsupport::WriteFile(out + "/DBComm/DBTables/OldOperator.h", "old");
    testsupport::MakeDir(out + "/src");
    testsupport::WriteFile(out + "/src/main.cpp", "mine");
    testsupport::WriteFile(out + "/README", "mine");
    testsupport::MakeDir(out + "/DBComm/mine");
    testsupport::WriteFile(out + "/DBComm/mine/notes.txt", "mine");
    ASSERT_EQ(Run("generate " + Connection() + " --output " + out).Code, 0);
    EXPECT_TRUE(std::filesystem::exists(out + "/DBComm/DBTables/OldOperator.h"));

    // A refused run deletes nothing.
    EXPECT_EQ(Run("generate " + Connection() + " --database alpha --clear --output " + out).Code,
              1);
    EXPECT_TRUE(std::filesystem::exists(out + "/DBComm/DBTables/OldOperator.h"));
    EXPECT_TRUE(std::filesystem::exists(out + "/DBComm/DBTables/StaffOperator.h"));

    ASSERT_EQ(Run("generate " + Connection() + " --clear --output " + out).Code, 0);
    EXPECT_FALSE(std::filesystem::exists(out + "/DBComm/DBTables/OldOperator.h"));
    EXPECT_EQ(ReadFile(out + "/src/main.cpp"), "mine");
    EXPECT_EQ(ReadFile(out + "/README"), "mine");
    EXPECT_EQ(ReadFile(out + "/DBComm/mine/notes.txt"), "mine");
    EXPECT_EQ(ListFiles(out).size(), 11u + 3u);
}

TEST_F(PellamGen, OutputThatCannotBeWrittenExitsFour)
{
    for (const char* command : {"databases", "schema"}) {
        int status = std::system(("PW='Pellam#2026' " + std::string(PELLAM_GEN) + " " + command +
                                  " " + Connection() + " > /dev/full 2> " + dir.File("err"))
                                     .c_str());
        EXPECT_EQ(WEXITSTATUS(status), 4) << command;
        EXPECT_NE(ReadFile(dir.File("err")).find("标准输出"), std::string::npos) << command;
    }
}

TEST_F(PellamGen, SnapshotNamesGbkCannotHoldStayExactAndAreRefused)
{
    // The name as the server sent it survives the snapshot; a label cannot
    // make the operator name an object that does not exist.
    testsupport::WriteFile(dir.File("emoji.json"), R"({"tables": [{"name": "T", "columns": [
        {"name": "E😀", "label": "E", "type": "int"}]}], "views": []})");
    Outcome r = Run("generate --schema " + dir.File("emoji.json") + " --output " + dir.File("o"));
    EXPECT_EQ(r.Code, 1);
    EXPECT_NE(r.Err.find("T:字段 E😀:名称含有GBK无法表示的字符（加 --unicode 生成 C++Builder "
                         "2009 及以后的形式，或在数据库中改名）"),
              std::string::npos)
        << r.Err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("o/DBComm/DBTables/TOperator.h")));
    // The Unicode form holds it: UTF-8 after its mark, the name whole.
    r = Run("generate --unicode --schema " + dir.File("emoji.json") + " --output " + dir.File("u"));
    ASSERT_EQ(r.Code, 0) << r.Err;
    std::string source = ReadFile(dir.File("u/DBComm/DBTables/TOperator.cpp"));
    EXPECT_EQ(source.rfind("\xEF\xBB\xBF#include", 0), 0u);
    EXPECT_NE(source.find("String strSql=L\"INSERT INTO [T]([E😀]) VALUES(:E)\";"),
              std::string::npos)
        << source;
    // An option of generate alone.
    EXPECT_EQ(Run("schema --unicode --schema " + dir.File("emoji.json")).Code, 2);

    StandIn emoji(Fixture(R"({"name": "NOLK", "objects": [{"name": "T", "columns": [
        {"name": "E😀", "type": "int"}]}]})"));
    r = Run("schema --host " + emoji.Host() + " --password-env PW --translate");
    EXPECT_EQ(r.Code, 0) << r.Err;
    EXPECT_NE(r.Out.find("\"name\": \"E😀\""), std::string::npos) << r.Out;

    // A number no double holds, or a key twice, is a malformed snapshot
    // with its place; nothing is written.
    struct Bad {
        std::string json;
        const char* place;
    };
    // Nested far deeper than a snapshot is: refused before the parser's
    // stack or the tree's is exhausted.
    const std::string deep = std::string(200000, '[') + std::string(200000, ']');
    // One object of 100,000 keys whose last repeats its first.
    std::string many = R"({"tables":[],"views":[],"x":{)";
    for (int k = 0; k < 100000; ++k)
        many += "\"k" + std::to_string(k) + "\":0,";
    many += R"("k0":1}})";
    const Bad bad[] = {
        {R"({"tables":[],"views":[],"x":)" + deep + "}", "x[0][0][0]"},
        {R"({"tables":[],"views":[],"x":)" + deep + "}", "嵌套超过 64 层"},
        {R"({"tables":[],"views":[],"x":1e999})", "第 29 字节"},
        {R"({"tables":[],"views":[],"x":"a1E999","y":1E999})", "第 42 字节"},
        {R"({"tables":[],"views":[],"tables":[]})", "$: \"tables\""},
        {R"({"tables":[{"name":"T","columns":[{"name":"a","type":"int","type":"text"}]}],"views":[]})",
         "tables[0].columns[0]: \"type\""},
        {R"({"tables":[],"views":[{"name":"V","columns":[]},{"name":"W","columns":[],"name":"X"}]})",
         "views[1]: \"name\""},
        {many, "x: \"k0\""},
    };
    for (const Bad& b : bad) {
        testsupport::WriteFile(dir.File("bad.json"), b.json);
        r = Run("generate --schema " + dir.File("bad.json") + " --output " + dir.File("bad"));
        EXPECT_EQ(r.Code, 2) << b.json;
        EXPECT_NE(r.Err.find(b.place), std::string::npos) << r.Err;
        EXPECT_FALSE(std::filesystem::exists(dir.File("bad"))) << b.json;
    }
}

TEST_F(PellamGen, TheOdbcDataSourceGoesUnderTmpdirAndStaleOnesAreRemoved)
{
    std::string tmp = dir.File("tmp");
    testsupport::MakeDir(tmp);
    testsupport::MakeDir(tmp + "/pellam-odbc-999999999-abc");
    testsupport::WriteFile(tmp + "/pellam-odbc-999999999-abc/Pellam1.ini", "[x]\n");
    Outcome r =
        Run("databases --host " + server.Host() + " --password-env PW", "", "TMPDIR=" + tmp);
    EXPECT_EQ(r.Code, 0) << r.Err;
    EXPECT_TRUE(std::filesystem::is_empty(tmp));
}

TEST_F(PellamGen, TranslatedLabelsGenerateIdentifiersWithTheCataloguesSql)
{
    ASSERT_EQ(Run("schema " + Connection() + " --database 中文 --translate --to " +
                  dir.File("t.json"))
                  .Code,
              0);
    std::string json = ReadFile(dir.File("t.json"));
    EXPECT_NE(json.find("\"label\": \"YongHuBiao\""), std::string::npos) << json;
    Outcome r = Run("generate --schema " + dir.File("t.json") + " --output " + dir.File("Output"));
    ASSERT_EQ(r.Code, 0) << r.Err;
    EXPECT_EQ(FirstDifference(Expected("YongHuBiaoOperator.cpp.translated.expected"),
                              ReadFile(dir.File("Output/DBComm/DBTables/YongHuBiaoOperator.cpp"))),
              "");
    EXPECT_EQ(FirstDifference(Expected("DBComm.cpp.YongHuBiao.expected"),
                              ReadFile(dir.File("Output/DBComm/DBComm.cpp"))),
              "");
}

TEST_F(PellamGen, BadUsageExitsTwoWithOneLineAndASuggestion)
{
    struct Case {
        const char* args;
        const char* says;  // the line's text, "" for the whole usage
    };
    const Case cases[] = {
        {"", "用法："},
        {"frobnicate", "未知命令：frobnicate\n"},
        {"generat", "未知命令：generat；是否要用 generate？"},
        {"generate", "请给出 --windows-auth 或 --host 之一"},
        {"databases --windows-auth --host x", "--windows-auth 与 --host 不能同时使用"},
        {"schema --schema x.json", "--schema 只能与 generate 一起使用"},
        {"generate --output", "--output 需要一个值"},
        {"databases --hots x", "未知选项：--hots；是否要用 --host？"},
        {"databases --password x", "未知选项：--password；是否要用 --password-env？"},
        {"databases --host x --password-env ''", "--password-env 需要一个环境变量名"},
    };
    for (const Case& c : cases) {
        Outcome r = Run(c.args);
        EXPECT_EQ(r.Code, 2) << c.args;
        EXPECT_NE(r.Err.find(c.says), std::string::npos) << c.args << "\n" << r.Err;
        // A usage text only when nothing was asked: otherwise two lines.
        bool whole = *c.args == '\0';
        EXPECT_EQ(r.Err.find("用法：") != std::string::npos, whole) << c.args;
        if (!whole) {
            EXPECT_EQ(std::count(r.Err.begin(), r.Err.end(), '\n'), 2) << r.Err;
            EXPECT_NE(r.Err.find("pellam-gen --help"), std::string::npos) << r.Err;
        }
    }
}

TEST_F(PellamGen, HelpAndVersionGoToStandardOutput)
{
    Outcome usage = Run("");
    for (const char* args : {"--help", "-h", "help", "generate --schema x.json --help"}) {
        Outcome r = Run(args);
        EXPECT_EQ(r.Code, 0) << args;
        // The same usage as a bare pellam-gen shows, with nothing before it.
        EXPECT_NE(usage.Err.find(r.Out), std::string::npos) << args;
        EXPECT_GT(r.Out.size(), 200u) << args;
    }
    Outcome r = Run("--version");
    EXPECT_EQ(r.Code, 0);
    EXPECT_EQ(r.Out, std::string("pellam-gen ") + PELLAM_VERSION + "\n");
}

TEST_F(PellamGen, AnotherLoginThanSaLogsInWithItsOwnPassword)
{
    std::string fixture = Fixture(kNolk);
    fixture.replace(fixture.find("{\"sa\": "), 7, "{\"builder\": \"b'ld;=1\", \"sa\": ");
    StandIn server2(fixture);
    std::string host = "--host " + server2.Host();
    Outcome r =
        Run("databases " + host + " --user builder --password-env PW2", "", "PW2=\"b'ld;=1\"");
    EXPECT_EQ(r.Code, 0) << r.Err;
    EXPECT_NE(r.Out.find("NOLK"), std::string::npos);
    r = Run("databases " + host + " --user builder --password-env PW");
    EXPECT_EQ(r.Code, 3);
    EXPECT_NE(r.Err.find("Login failed for user 'builder'"), std::string::npos) << r.Err;
    EXPECT_EQ(Run("databases --windows-auth --user builder").Code, 2);
}

TEST_F(PellamGen, WritesBelowTheWorkingFolderAndMakesMissingParents)
{
    ASSERT_EQ(Run("schema " + Connection() + " --to " + dir.File("s.json")).Code, 0);
    testsupport::MakeDir(dir.File("work"));
    Outcome r = Run("generate --schema ../s.json", "", "cd " + dir.File("work") + " &&");
    ASSERT_EQ(r.Code, 0) << r.Err;
    EXPECT_EQ(ListFiles(dir.File("work/Output")).size(), 11u);
    EXPECT_NE(r.Err.find("已生成 11 个文件：Output"), std::string::npos) << r.Err;

    std::string deep = dir.File("a/b/Output");
    r = Run("generate --schema " + dir.File("s.json") + " --output " + deep + " --verbose");
    ASSERT_EQ(r.Code, 0) << r.Err;
    std::vector<std::string> files = ListFiles(deep);
    EXPECT_EQ(files.size(), 11u);
    // --verbose names every file written, once.
    for (const std::string& f : files)
        EXPECT_NE(("\n" + r.Err).find("\n" + f + "\n"), std::string::npos) << f << "\n" << r.Err;
}

TEST_F(PellamGen, FiltersChooseObjectsByCatalogueName)
{
    auto namesIn = [](const std::string& json) {
        std::string names;
        for (std::size_t at = json.find("\n      \"name\": "); at != std::string::npos;
             at = json.find("\n      \"name\": ", at + 1))
            names += json.substr(at + 15, json.find(',', at) - at - 15) + " ";
        return names;
    };
    struct Case {
        const char* filters;
        const char* names;
    };
    const Case cases[] = {
        {"--include 'st*'", "\"Staff\" "},
        {"--include 'LOG' --include 'v_*'", "\"Log\" \"V_Users\" "},
        {"--exclude '*s*'", "\"Log\" "},
        {"--include '?taf?' --exclude 'Log'", "\"Staff\" "},
    };
    for (const Case& c : cases) {
        Outcome r = Run("schema " + Connection() + " " + c.filters);
        EXPECT_EQ(r.Code, 0) << c.filters << r.Err;
        EXPECT_EQ(namesIn(r.Out), c.names) << c.filters;
    }
    ASSERT_EQ(Run("schema " + Connection() + " --to " + dir.File("s.json")).Code, 0);
    Outcome r = Run("generate --schema " + dir.File("s.json") + " --include Staff --output " +
                    dir.File("o"));
    ASSERT_EQ(r.Code, 0) << r.Err;
    EXPECT_TRUE(std::filesystem::exists(dir.File("o/DBComm/DBTables/StaffOperator.h")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("o/DBComm/DBTables/LogOperator.h")));
    // An --include that matches nothing is a mistake, named.
    r = Run("schema " + Connection() + " --include Staff --include 'Nope*'");
    EXPECT_EQ(r.Code, 2);
    EXPECT_EQ(r.Out, "");
    EXPECT_NE(r.Err.find("Nope*"), std::string::npos) << r.Err;
}

TEST_F(PellamGen, CheckComparesWithoutWriting)
{
    std::string out = dir.File("Output");
    ASSERT_EQ(Run("schema " + Connection() + " --to " + dir.File("s.json")).Code, 0);
    std::string check = "generate --schema " + dir.File("s.json") + " --check --output " + out;
    // A check renders in memory: it needs no scratch folder, so a temporary
    // folder where none can be made changes nothing.
    testsupport::WriteFile(dir.File("tmp"), "a file where the folder would be");
    Outcome r = Run(check, "", "TMPDIR=" + dir.File("tmp"));
    EXPECT_EQ(r.Code, 5) << r.Err;
    EXPECT_NE(r.Out.find("缺少：DBComm/DBComm.h\n"), std::string::npos) << r.Out;
    EXPECT_FALSE(std::filesystem::exists(out));

    ASSERT_EQ(Run("generate --schema " + dir.File("s.json") + " --output " + out).Code, 0);
    r = Run(check);
    EXPECT_EQ(r.Code, 0) << r.Out;
    EXPECT_EQ(r.Out, "");

    testsupport::WriteFile(out + "/DBComm/DBTables/StaffOperator.cpp", "edited");
    std::filesystem::remove(out + "/DBComm/DBStoredProc/DBStoredProc.h");
    testsupport::WriteFile(out + "/DBComm/DBTables/GoneOperator.h", "old");
    testsupport::WriteFile(out + "/DBComm/notes.txt", "the user's own");
    // What a write cut short by a power cut leaves.
    testsupport::WriteFile(out + "/DBComm/DBComm.h.pellam-Ab12cD", "half");
    r = Run(check);
    EXPECT_EQ(r.Code, 5);
    EXPECT_EQ(r.Out, "多余：DBComm/DBComm.h.pellam-Ab12cD\n"
                     "缺少：DBComm/DBStoredProc/DBStoredProc.h\n"
                     "多余：DBComm/DBTables/GoneOperator.h\n"
                     "已更改：DBComm/DBTables/StaffOperator.cpp\n");
    EXPECT_EQ(ReadFile(out + "/DBComm/DBTables/StaffOperator.cpp"), "edited");
    EXPECT_FALSE(std::filesystem::exists(out + "/DBComm/DBStoredProc/DBStoredProc.h"));
}

TEST_F(PellamGen, TheDemoDatabaseReadsAlikeFromSqlServer2022And2000WithSchemasAndUnwritableColumns)
{
    std::vector<std::string> snapshots;
    for (std::vector<std::string> options :
         {std::vector<std::string>{}, {"--version", "2000"}, {"--case-sensitive"}}) {
        StandIn demo(ReadFile(PELLAM_DEMO_FIXTURE), options);
        Outcome r = Run("schema --host " + demo.Host() + " --password-env PW");
        ASSERT_EQ(r.Code, 0) << r.Err;
        snapshots.push_back(r.Out);
    }
    EXPECT_EQ(snapshots[1], snapshots[0]);
    EXPECT_EQ(snapshots[2], snapshots[0]);
    const std::string& json = snapshots[0];
    // The table outside dbo, with its identity, computed and rowversion
    // columns; a shipped table and a constraint named as a table are left out.
    for (const char* part : {"\"name\": \"Invoice\",\n      \"schema\": \"Sales\"",
                             "\"unwritable\": [\n        \"InvoiceID\",\n        \"Total\",\n      "
                             "  \"RowVer\"\n      ]",
                             "\"name\": \"V_Invoices\",\n      \"schema\": \"Sales\"",
                             "\"name\": \"c_sysname\",\n          \"type\": \"sysname\",\n         "
                             " \"base\": \"nvarchar\""})
        EXPECT_NE(json.find(part), std::string::npos) << part << "\n" << json;
    EXPECT_EQ(json.find("sysdiagrams"), std::string::npos);
    EXPECT_EQ(json.find("\"schema\": \"Sales\",\n      \"label\": \"Staff\""), std::string::npos);
}

TEST_F(PellamGen, SnapshotsCarryTheSchemaAndOlderOnesStillGenerate)
{
    struct Case {
        const char* what;
        const char* table;  // the table's JSON
        const char* insert;
    };
    const Case cases[] = {
        {"an older snapshot: identity, no schema", R"({"name": "T", "identity": ["ID"],
           "columns": [{"name": "ID", "type": "int"}, {"name": "a", "type": "int"},
                       {"name": "v", "type": "timestamp"}]})",
         "INSERT INTO [T]([a]) VALUES(:a)"},
        {"outside dbo", R"({"name": "T", "schema": "Sa]les", "unwritable": ["ID", "c"],
           "columns": [{"name": "ID", "type": "int"}, {"name": "a", "type": "int"},
                       {"name": "c", "type": "int", "base": "int"}]})",
         "INSERT INTO [Sa]]les].[T]([a]) VALUES(:a)"},
        {"in dbo", R"({"name": "T", "schema": "dbo", "unwritable": [],
           "columns": [{"name": "a", "type": "int", "base": null}]})",
         "INSERT INTO [T]([a]) VALUES(:a)"},
    };
    for (const Case& c : cases) {
        testsupport::WriteFile(dir.File("s.json"),
                               std::string(R"({"tables": [)") + c.table + R"(], "views": []})");
        Outcome r = Run("generate --schema " + dir.File("s.json") + " --output " + dir.File("o"));
        ASSERT_EQ(r.Code, 0) << c.what << ": " << r.Err;
        EXPECT_NE(ReadFile(dir.File("o/DBComm/DBTables/TOperator.cpp")).find(c.insert),
                  std::string::npos)
            << c.what;
    }
}

TEST_F(PellamGen, ClearNeverReachesThroughALinkNorDeletesWhatItDidNotWrite)
{
    namespace fs = std::filesystem;
    // The user's files beside and inside the tree, and a folder of theirs
    // elsewhere that a link may point at.
    std::string mine = dir.File("mine");
    testsupport::MakeDir(mine);
    testsupport::WriteFile(mine + "/thesis.doc", "precious");
    testsupport::WriteFile(mine + "/OldOperator.h", "precious");

    struct Case {
        const char* what;
        const char* linked;  // the tree folder made a link to `mine`, or ""
        int code;
    };
    const Case cases[] = {
        {"a real tree", "", 0},
        {"DBComm a link", "DBComm", 4},
        {"DBTables a link", "DBComm/DBTables", 4},
        {"DBStoredProc a link", "DBComm/DBStoredProc", 4},
    };
    for (const Case& c : cases) {
        std::string out = dir.File(std::string("proj-") + std::to_string(&c - cases));
        ASSERT_EQ(Run("generate " + Connection() + " --output " + out).Code, 0) << c.what;
        testsupport::WriteFile(out + "/DBComm/notes.txt", "mine");
        testsupport::WriteFile(out + "/DBComm/DBTables/notes.txt", "mine");
        testsupport::WriteFile(out + "/DBComm/DBTables/OldOperator.h", "old");
        if (*c.linked) {
            fs::remove_all(out + "/" + c.linked);
            fs::create_directory_symlink(mine, out + "/" + c.linked);
        }
        std::vector<std::string> before = ListFiles(out);
        Outcome r = Run("generate " + Connection() + " --clear --output " + out);
        EXPECT_EQ(r.Code, c.code) << c.what << ": " << r.Err;
        EXPECT_EQ(ReadFile(mine + "/thesis.doc"), "precious") << c.what;
        EXPECT_EQ(ReadFile(mine + "/OldOperator.h"), "precious") << c.what;
        if (c.code != 0) {
            // Refused before anything was deleted or written.
            EXPECT_NE(r.Err.find("符号链接"), std::string::npos) << r.Err;
            EXPECT_EQ(ListFiles(out), before) << c.what;
            EXPECT_TRUE(fs::is_symlink(out + "/" + c.linked)) << c.what;
            continue;
        }
        // Only files Pellam writes went: the user's notes stay.
        EXPECT_EQ(ReadFile(out + "/DBComm/notes.txt"), "mine");
        EXPECT_EQ(ReadFile(out + "/DBComm/DBTables/notes.txt"), "mine");
        EXPECT_FALSE(fs::exists(out + "/DBComm/DBTables/OldOperator.h"));
    }
}

TEST_F(PellamGen, ALabelTooLongForAFileNameKeepsTheEarlierOutput)
{
    std::string out = dir.File("proj");
    ASSERT_EQ(Run("generate " + Connection() + " --output " + out).Code, 0);
    std::vector<std::string> before = ListFiles(out);
    testsupport::WriteFile(dir.File("long.json"), R"({"tables": [{"name": "T", "label": ")" +
                                                      std::string(250, 'L') +
                                                      R"(", "columns": []}], "views": []})");
    Outcome r = Run("generate --schema " + dir.File("long.json") + " --clear --output " + out);
    EXPECT_EQ(r.Code, 1) << r.Err;
    EXPECT_NE(r.Err.find("名称太长"), std::string::npos) << r.Err;
    EXPECT_EQ(ListFiles(out), before);
}

TEST_F(PellamGen, ATodaysDatabaseGeneratesWholeWithExtendedTypesAndTranslation)
{
    StandIn demo(ReadFile(PELLAM_DEMO_FIXTURE));
    std::string connection = "--host " + demo.Host() + " --password-env PW --database Modern";
    // The window's rules refuse it: names with blanks, newer types.
    EXPECT_EQ(Run("generate " + connection + " --output " + dir.File("plain")).Code, 1);
    Outcome r =
        Run("generate " + connection + " --types extended --translate --output " + dir.File("o"));
    ASSERT_EQ(r.Code, 0) << r.Err;
    // Every table and view: twins across schemas take their schema.
    std::vector<std::string> operators;
    for (const std::string& file : ListFiles(dir.File("o")))
        if (file.find("Operator.h") != std::string::npos &&
            file.find("DBTableOperator") == std::string::npos)
            operators.push_back(file.substr(file.rfind('/') + 1));
    EXPECT_EQ(operators,
              (std::vector<std::string>{"InvoiceLinesOperator.h", "OrderDetailsOperator.h",
                                        "OrderLineNotesOperator.h", "OrdersOperator.h",
                                        "PeopleOperator.h", "SalesCustomersOperator.h",
                                        "WarehousesOperator.h", "WebsiteCustomersOperator.h"}));
    std::string people = ReadFile(dir.File("o/DBComm/DBTables/PeopleOperator.cpp"));
    // Alias types by their base types, the newer types by group, catalogue
    // names exact, the server's own columns left out.
    EXPECT_NE(people.find("New(String FullName,int IsEmployee,TStream *Photo,TStream *OrgNode,"
                          "String Born,String LastSeen,String Updated,String Settings,"
                          "String Extra,TStream *Area)"),
              std::string::npos)
        << people;
    EXPECT_NE(people.find("INSERT INTO [Application].[People]([FullName],[Is Employee],"),
              std::string::npos);
    EXPECT_EQ(people.find("Search Name"), std::string::npos);
    EXPECT_EQ(people.find("RowVersion"), std::string::npos);

    // An override wins over the extended rules; a malformed one is usage.
    r = Run("generate " + connection +
            " --types extended --translate --type flag=string --output " + dir.File("o2"));
    ASSERT_EQ(r.Code, 0) << r.Err;
    EXPECT_NE(ReadFile(dir.File("o2/DBComm/DBTables/PeopleOperator.h")).find("String IsEmployee"),
              std::string::npos);
    for (const char* bad : {"--type flag", "--type =string", "--type flag=text", "--types all"}) {
        r = Run("generate " + connection + " " + bad + " --output " + dir.File("bad"));
        EXPECT_EQ(r.Code, 2) << bad;
        EXPECT_FALSE(std::filesystem::exists(dir.File("bad"))) << bad;
    }
    EXPECT_EQ(Run("schema " + connection + " --types extended").Code, 2);
}

TEST_F(PellamGen, ADatabaseNamedOnTheCommandLineTakesOneLogin)
{
    struct Case {
        const char* args;
        int logins;
    };
    const Case cases[] = {
        {"schema --database nolk", 1},
        {"generate --database NOLK --check", 1},
        {"schema", 1},  // master for the list, then USE NOLK in the first batch
        {"generate --check", 1},
        {"databases", 1},
    };
    for (const Case& c : cases) {
        TempDir here;
        StandIn counted(Fixture(kNolk), {"--record", here.File("logins")});
        Outcome r = Run(std::string(c.args) + " --host " + counted.Host() + " --password-env PW" +
                        (std::string(c.args).find("--check") != std::string::npos
                             ? " --output " + here.File("o")
                             : ""));
        EXPECT_TRUE(r.Code == 0 || r.Code == 5) << c.args << ": " << r.Err;
        std::string logins = ReadFile(here.File("logins"));
        EXPECT_EQ(std::count(logins.begin(), logins.end(), '\n'), c.logins) << c.args;
        if (std::string(c.args).rfind("schema", 0) == 0) {
            EXPECT_NE(r.Out.find("\"database\": \"NOLK\""), std::string::npos) << r.Out;
        }
    }
    // A database the login may not open says so the same way, whether it
    // was logged into or switched to; nothing of master is read instead.
    std::string refused = Fixture(kNolk);
    const std::string open = "{\"name\": \"NOLK\",";
    refused.replace(refused.find(open), open.size(), open + " \"users\": [\"x\"],");
    StandIn closed(refused);
    for (const char* args : {"schema", "schema --database NOLK"}) {
        Outcome r = Run(std::string(args) + " --host " + closed.Host() + " --password-env PW");
        EXPECT_EQ(r.Code, 3) << args;
        EXPECT_NE(r.Err.find("无法打开数据库：数据库不存在，或这个登录无权打开它。\n"),
                  std::string::npos)
            << args << ": " << r.Err;
        EXPECT_EQ(r.Out, "") << args;
    }
}

TEST_F(PellamGen, UnwritableColumnsMatchExactlyAndOddSnapshotsOrTypeOptionsAreRefused)
{
    struct Case {
        const char* what;
        const char* table;  // the table's JSON
        const char* options;
        int code;
        const char* says;  // in the INSERT text for 0, on standard error otherwise
    };
    const Case cases[] = {
        {"twins by case", R"({"name": "T", "unwritable": ["ID"],
           "columns": [{"name": "ID", "type": "int"}, {"name": "id", "type": "int"}]})",
         "", 0, "INSERT INTO [T]([id]) VALUES(:id)"},
        {"a rowversion read as an integer", R"({"name": "T",
           "columns": [{"name": "a", "type": "int"}, {"name": "v", "type": "timestamp"}]})",
         "--type timestamp=integer", 0, "INSERT INTO [T]([a]) VALUES(:a)"},
        {"an unwritable name of no column", R"({"name": "T", "unwritable": ["Nope"],
           "columns": [{"name": "a", "type": "int"}]})",
         "", 2, "tables[0].unwritable[0]"},
        {"a case-blind unwritable name", R"({"name": "T", "unwritable": ["A"],
           "columns": [{"name": "a", "type": "int"}]})",
         "", 2, "tables[0].unwritable[0]"},
        {"identity beside unwritable", R"({"name": "T", "unwritable": [], "identity": ["a"],
           "columns": [{"name": "a", "type": "int"}]})",
         "", 2, "tables[0].identity"},
        {"one type in two groups", R"({"name": "T", "columns": [{"name": "a", "type": "int"}]})",
         "--type Money2=integer --type money2=string", 2, "money2=string"},
        {"a blank type name", R"({"name": "T", "columns": [{"name": "a", "type": "int"}]})",
         "--type ' =string'", 2, "--type"},
    };
    for (const Case& c : cases) {
        testsupport::WriteFile(dir.File("s.json"),
                               std::string(R"({"tables": [)") + c.table + R"(], "views": []})");
        std::filesystem::remove_all(dir.File("o"));
        Outcome r = Run("generate --schema " + dir.File("s.json") + " --output " + dir.File("o") +
                        " " + c.options);
        ASSERT_EQ(r.Code, c.code) << c.what << ": " << r.Err;
        if (c.code == 0) {
            EXPECT_NE(ReadFile(dir.File("o/DBComm/DBTables/TOperator.cpp")).find(c.says),
                      std::string::npos)
                << c.what;
        } else {
            EXPECT_NE(r.Err.find(c.says), std::string::npos) << c.what << ": " << r.Err;
            EXPECT_FALSE(std::filesystem::exists(dir.File("o"))) << c.what;
        }
    }
}

TEST_F(PellamGen, AnObjectThatChangesWhileReadIsAFailedReadNeverItsTwin)
{
    struct Case {
        const char* what;
        const char* object;  // the changing object's JSON
        std::vector<std::string> options;
        const char* says;
    };
    const Case cases[] = {
        {"dropped after listing",
         R"({"name": "Gone", "dropAfterListing": true,
           "columns": [{"name": "a", "type": "int"}]})",
         {},
         "dbo.Gone："},
        {"its schema gone, dbo holding its twin",
         R"({"name": "Twin", "schema": null,
           "columns": [{"name": "b", "type": "int"}]})",
         {},
         "Twin："},
        {"its owner gone on SQL Server 2000",
         R"({"name": "Twin", "schema": null,
           "columns": [{"name": "b", "type": "int"}]})",
         {"--version", "2000"},
         "Twin："},
    };
    for (const Case& c : cases)
        for (const char* command : {"generate", "schema"}) {
            // A stand-in of its own for each run: a dropped object stays so.
            StandIn changing(Fixture(
                                 std::string(R"({"name": "NOLK", "objects": [)") + c.object +
                                 R"(, {"name": "Twin", "columns": [{"name": "a", "type": "int"}]}
                                     ]})"),
                             c.options);
            std::string connection = "--host " + changing.Host() + " --password-env PW";
            bool generate = std::string(command) == "generate";
            Outcome r = Run(std::string(command) + " " + connection +
                            (generate ? " --output " + dir.File("Output") : ""));
            EXPECT_EQ(r.Code, 3) << c.what << ", " << command << ": " << r.Err;
            EXPECT_NE(r.Err.find(c.says), std::string::npos) << c.what << ": " << r.Err;
            EXPECT_FALSE(std::filesystem::exists(dir.File("Output"))) << c.what;
            EXPECT_EQ(r.Out, "") << c.what;
        }
}

TEST_F(PellamGen, ClearingRemovesLeftoverNewFilesAndKeepsUnchangedOnes)
{
    namespace fs = std::filesystem;
    std::string out = dir.File("Output");
    ASSERT_EQ(Run("generate " + Connection() + " --output " + out).Code, 0);
    testsupport::WriteFile(out + "/DBComm/DBTables/LogOperator.h.pellam-x1Y2z3", "half");
    testsupport::WriteFile(out + "/DBComm/DBTables/notes.pellam.txt", "the user's own");
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(24);
    fs::last_write_time(out + "/DBComm/DBComm.cpp", old);
    Outcome r = Run("generate " + Connection() + " --output " + out + " --clear --verbose");
    ASSERT_EQ(r.Code, 0) << r.Err;
    EXPECT_FALSE(fs::exists(out + "/DBComm/DBTables/LogOperator.h.pellam-x1Y2z3"));
    EXPECT_TRUE(fs::exists(out + "/DBComm/DBTables/notes.pellam.txt"));
    EXPECT_EQ(fs::last_write_time(out + "/DBComm/DBComm.cpp"), old);
    // Nothing changed, so nothing is named as written.
    EXPECT_NE(r.Err.find("已生成 11 个文件：" + out + "（其中 11 个与磁盘上的相同，未重写）"),
              std::string::npos)
        << r.Err;
    EXPECT_EQ(r.Err.find("DBComm/DBComm.cpp"), std::string::npos) << r.Err;
}

TEST_F(PellamGen, AnEndingSignalWhileWritingLeavesNoHalfFileAndDBCommNamesOnlyWhatIsThere)
{
    namespace fs = std::filesystem;
    // Enough tables that the signal comes in the middle of the writing.
    std::string tables;
    for (int i = 0; i < 3000; ++i)
        tables += std::string(i ? "," : "") + R"({"name": "T)" + std::to_string(i) +
                  R"(", "columns": [{"name": "a", "type": "int"}]})";
    testsupport::WriteFile(dir.File("big.json"), R"({"tables": [)" + tables + R"(], "views": []})");
    std::string out = dir.File("Output");
    std::string command = std::string(PELLAM_GEN) + " generate --schema " + dir.File("big.json") +
                          " --output " + out + " 2>/dev/null";
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        execl("/bin/sh", "sh", "-c", ("exec " + command).c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    // Wait until some operators are on disk, then stop it.
    auto operators = [&] {
        std::error_code ec;
        std::size_t n = 0;
        for (auto it = fs::directory_iterator(out + "/DBComm/DBTables", ec);
             !ec && it != fs::directory_iterator(); it.increment(ec))
            ++n;
        return n;
    };
    for (int i = 0; i < 20000 && operators() < 200; ++i)
        usleep(500);
    kill(child, SIGTERM);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the run ended before the signal";
    EXPECT_EQ(WTERMSIG(status), SIGTERM);
    std::vector<std::string> files = ListFiles(out);
    for (const std::string& f : files)
        EXPECT_EQ(f.find(".pellam-"), std::string::npos) << f;
    // DBComm goes last: either not there yet, or naming operators that are.
    if (fs::exists(out + "/DBComm/DBComm.cpp")) {
        std::string dbcomm = ReadFile(out + "/DBComm/DBComm.cpp");
        for (std::size_t at = dbcomm.find("new "); at != std::string::npos;
             at = dbcomm.find("new ", at + 1)) {
            std::string cls = dbcomm.substr(at + 4, dbcomm.find(';', at) - at - 4);
            EXPECT_TRUE(fs::exists(out + "/DBComm/DBTables/" + cls + ".h")) << cls;
        }
    }
    EXPECT_LT(files.size(), 6005u);
}

namespace {

const char* const kKeyShop = R"({"name": "KeyShop", "objects": [
  {"name": "Staff", "key": ["ID"], "columns": [
    {"name": "ID", "type": "int", "identity": true},
    {"name": "Name", "type": "varchar"}, {"name": "Joined", "type": "datetime"},
    {"name": "Photo", "type": "image"}]},
  {"name": "Log", "columns": [{"name": "ID", "type": "int", "identity": true}]},
  {"name": "Order Details", "key": ["OrderID", "ProductID"], "columns": [
    {"name": "OrderID", "type": "int"}, {"name": "ProductID", "type": "int"},
    {"name": "Unit Price", "type": "money"}, {"name": "Quantity", "type": "smallint"}]}
]})";

}  // namespace

TEST_F(PellamGen, KeysGenerateKeyMethodsFromTheServerAndFromASnapshotAndNothingWithout)
{
    StandIn shop(Fixture(kKeyShop));
    // Translated, so that "Order Details" passes as OrderDetails.
    std::string connection =
        "--host " + shop.Host() + " --password-env PW --database KeyShop --translate";
    Outcome r = Run("generate " + connection + " --keys --output " + dir.File("keys"));
    ASSERT_EQ(r.Code, 0) << r.Err;
    // Log has an IDENTITY column but no key: one line says so.
    EXPECT_NE(r.Err.find("1 个数据表没有可用的主键（没有主键，或主键含二进制字段），"
                         "没有生成主键方法：\npellam-gen: 数据表 Log：没有主键\n"),
              std::string::npos)
        << r.Err;
    for (const char* file : {"StaffOperator.h", "StaffOperator.cpp", "OrderDetailsOperator.h",
                             "OrderDetailsOperator.cpp"})
        EXPECT_EQ(FirstDifference(Expected(std::string(file) + ".keys.expected"),
                                  ReadFile(dir.File(std::string("keys/DBComm/DBTables/") + file))),
                  "")
            << file;
    EXPECT_EQ(FirstDifference(Expected("DBTableOperator.h.keys.expected"),
                              ReadFile(dir.File("keys/DBComm/DBTables/DBTableOperator.h"))),
              "");

    // Without the option: the plain files, and the line is not there.
    r = Run("generate " + connection + " --output " + dir.File("plain"));
    ASSERT_EQ(r.Code, 0) << r.Err;
    EXPECT_EQ(r.Err.find("主键"), std::string::npos) << r.Err;
    EXPECT_EQ(FirstDifference(Expected("StaffOperator.cpp.expected"),
                              ReadFile(dir.File("plain/DBComm/DBTables/StaffOperator.cpp"))),
              "");

    // A snapshot holds the keys and generates the same bytes.
    r = Run("schema " + connection + " --to " + dir.File("s.json"));
    ASSERT_EQ(r.Code, 0) << r.Err;
    std::string json = ReadFile(dir.File("s.json"));
    EXPECT_NE(json.find("\"keys\": true"), std::string::npos) << json;
    EXPECT_NE(json.find("\"key\": [\n        \"OrderID\",\n        \"ProductID\"\n      ]"),
              std::string::npos)
        << json;
    r = Run("generate --schema " + dir.File("s.json") + " --translate --keys --output " +
            dir.File("again"));
    ASSERT_EQ(r.Code, 0) << r.Err;
    for (const char* file : {"StaffOperator.cpp", "OrderDetailsOperator.cpp", "LogOperator.cpp"})
        EXPECT_EQ(ReadFile(dir.File(std::string("again/DBComm/DBTables/") + file)),
                  ReadFile(dir.File(std::string("keys/DBComm/DBTables/") + file)))
            << file;
}

TEST_F(PellamGen, KeysNeedASnapshotThatHoldsThemAndAServerThatAnswers)
{
    struct Case {
        const char* what;
        const char* json;
        int code;
        const char* said;
    };
    const Case cases[] = {
        {"an older snapshot",
         R"({"tables": [{"name": "T", "columns": [{"name": "a", "type": "int"}]}], "views": []})",
         2, "快照没有主键信息"},
        {"a key naming no column", R"({"keys": true, "tables": [{"name": "T", "key": ["b"],
           "columns": [{"name": "a", "type": "int"}]}], "views": []})",
         2, "tables[0].key[0]: 不是这个表的字段"},
        {"a key on a view", R"({"keys": true, "tables": [], "views": [{"name": "V", "key": ["a"],
           "columns": [{"name": "a", "type": "int"}]}]})",
         2, "views[0].key: 视图没有主键"},
        {"keys that are not true or false", R"({"keys": 1, "tables": [], "views": []})", 2,
         "keys: 应为 true 或 false"},
        {"keys read, none there", R"({"keys": true, "tables": [{"name": "T",
           "columns": [{"name": "a", "type": "int"}]}], "views": []})",
         0, "1 个数据表没有可用的主键"},
    };
    for (const Case& c : cases) {
        testsupport::WriteFile(dir.File("s.json"), c.json);
        Outcome r =
            Run("generate --schema " + dir.File("s.json") + " --keys --output " + dir.File("o"));
        EXPECT_EQ(r.Code, c.code) << c.what << ": " << r.Err;
        EXPECT_NE(r.Err.find(c.said), std::string::npos) << c.what << ": " << r.Err;
    }
    // A server that will not say its keys: a failed read with --keys, and
    // nothing asked without it.
    StandIn denying(Fixture(kKeyShop), {"--deny", "INFORMATION_SCHEMA"});
    std::string connection =
        "--host " + denying.Host() + " --password-env PW --database KeyShop --translate";
    Outcome r = Run("generate " + connection + " --keys --output " + dir.File("k"));
    EXPECT_EQ(r.Code, 3) << r.Err;
    EXPECT_NE(r.Err.find("读不到数据表的主键"), std::string::npos) << r.Err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("k")));
    r = Run("generate " + connection + " --output " + dir.File("p"));
    EXPECT_EQ(r.Code, 0) << r.Err;
    // --keys belongs to generate.
    r = Run("schema --host " + denying.Host() + " --password-env PW --keys");
    EXPECT_EQ(r.Code, 2);
    EXPECT_NE(r.Err.find("--keys 只能与 generate 一起使用"), std::string::npos) << r.Err;
}

TEST_F(PellamGen, TheNorthwindSnapshotIsWhatTheStandInServesAndEveryTableHasItsKey)
{
    // The compile check generates Northwind from this snapshot: it is what
    // the stand-in serves, keys and all.
    StandIn demo(ReadFile(PELLAM_DEMO_FIXTURE));
    Outcome r = Run("schema --host " + demo.Host() +
                    " --password-env PW --database Northwind --procedures");
    ASSERT_EQ(r.Code, 0) << r.Err;
    EXPECT_EQ(r.Out, ReadFile(std::string(PELLAM_EXPECTED_DIR) + "/../support/northwind.json"));
    testsupport::WriteFile(dir.File("nw.json"), r.Out);
    r = Run("generate --schema " + dir.File("nw.json") + " --translate --keys --output " +
            dir.File("o"));
    ASSERT_EQ(r.Code, 0) << r.Err;
    EXPECT_EQ(r.Err.find("没有可用的主键"), std::string::npos) << r.Err;
    std::string details = ReadFile(dir.File("o/DBComm/DBTables/OrderDetailsOperator.h"));
    EXPECT_NE(details.find("   bool UpdateByKey(double UnitPrice,int Quantity,double Discount,"
                           "int OrderID,int ProductID);"),
              std::string::npos)
        << details;
    EXPECT_NE(ReadFile(dir.File("o/DBComm/DBTables/OrdersOperator.h"))
                  .find("   bool NewWithIdentity(String CustomerID,int EmployeeID,"),
              std::string::npos);
}

TEST_F(PellamGen, AFullDiskWhileDBCommIsWrittenLeavesBothItsFilesAsTheyWere)
{
    // A database of many tables: DBComm.cpp (an include and a registration
    // each) is far larger than DBComm.h and than any operator. A file-size
    // limit between them stands for a disk that fills while DBComm.cpp is
    // written.
    std::string objects;
    for (int t = 0; t < 120; ++t)
        objects += std::string(t ? "," : "") + R"({"name": "Table)" + std::to_string(t) +
                   R"(", "columns": [{"name": "a", "type": "int"}]})";
    StandIn many(Fixture(R"({"name": "Many", "objects": [)" + objects + "]}"));
    Outcome r = Run("generate --host " + many.Host() +
                    " --password-env PW --database Many --output " + dir.File("o"));
    ASSERT_EQ(r.Code, 0) << r.Err;
    std::string header = ReadFile(dir.File("o/DBComm/DBComm.h"));
    std::string source = ReadFile(dir.File("o/DBComm/DBComm.cpp"));
    ASSERT_LT(header.size(), 4000u);
    ASSERT_GT(source.size(), 8000u);

    // The same database less a table: both DBComm files would change.
    StandIn fewer(Fixture(R"({"name": "Many", "objects": [)" +
                          objects.substr(objects.find("},{") + 2) + "]}"));
    std::string limited = "bash -c 'trap \"\" XFSZ; ulimit -f 6; exec \"$0\" \"$@\"' ";
    std::string command = std::string("PW='Pellam#2026' ") + limited + PELLAM_GEN +
                          " generate --host " + fewer.Host() +
                          " --password-env PW --database Many --clear --output " + dir.File("o2") +
                          " > /dev/null 2> " + dir.File("err2");
    // A fresh copy of the first library, then the limited run over it.
    std::filesystem::copy(dir.File("o"), dir.File("o2"), std::filesystem::copy_options::recursive);
    testsupport::WriteFile(dir.File("o2/DBComm/DBComm.h"), header);
    testsupport::WriteFile(dir.File("o2/DBComm/DBComm.cpp"), source);
    int status = std::system(command.c_str());
    EXPECT_EQ(WEXITSTATUS(status), 4) << ReadFile(dir.File("err2"));
    EXPECT_NE(ReadFile(dir.File("err2")).find("DBComm.cpp"), std::string::npos)
        << ReadFile(dir.File("err2"));
    // Neither DBComm file changed, and no new file is left beside them.
    EXPECT_EQ(ReadFile(dir.File("o2/DBComm/DBComm.h")), header);
    EXPECT_EQ(ReadFile(dir.File("o2/DBComm/DBComm.cpp")), source);
    // Clearing waits for the new DBComm: the dropped table's operator,
    // which the old DBComm still includes, is still there.
    EXPECT_TRUE(std::filesystem::exists(dir.File("o2/DBComm/DBTables/Table0Operator.h")));
    EXPECT_TRUE(std::filesystem::exists(dir.File("o2/DBComm/DBTables/Table0Operator.cpp")));
    for (const std::string& file : ListFiles(dir.File("o2")))
        EXPECT_EQ(file.find(".pellam-"), std::string::npos) << file;
}

TEST_F(PellamGen, OddAnswersAreFailedReadsAndNamesStayExactlyAsTheServerHoldsThem)
{
    struct Odd {
        const char* what;
        std::string fixture;
        std::vector<std::string> options;
        const char* says;
    };
    const std::string table = R"({"name": "T", "columns": [{"name": "a", "type": "int"}]})";
    const Odd odd[] = {
        {"every row twice", table, {"--repeat-rows"}, "dbo.T：在对象列表中出现了两次"},
        {"a column without a name",
         R"({"name": "T", "columns": [{"name": "a", "type": "int"}, {"name": null, "type": "int"}]})",
         {},
         "dbo.T：有一个字段名称为 NULL"},
    };
    for (const Odd& o : odd) {
        StandIn server(Fixture(R"({"name": "NOLK", "objects": [)" + o.fixture + "]}"), o.options);
        Outcome r = Run("schema --host " + server.Host() + " --password-env PW");
        EXPECT_EQ(r.Code, 3) << o.what << r.Out;
        EXPECT_NE(r.Err.find(o.says), std::string::npos) << o.what << r.Err;
    }

    // A name with an unpaired surrogate keeps its own columns beside the
    // name it would become with the surrogate replaced; the snapshot
    // keeps both exactly, and the run refuses it by name, escaped.
    StandIn lone(Fixture(R"({"name": "NOLK", "objects": [
        {"name": "a\ud800", "columns": [{"name": "x", "type": "int"}]},
        {"name": "a\ufffd", "columns": [{"name": "y", "type": "int"}]},
        {"name": "T\u0000", "columns": [{"name": "z\udfff", "type": "int"}]}]})"));
    Outcome r =
        Run("schema --host " + lone.Host() + " --password-env PW --to " + dir.File("lone.json"));
    ASSERT_EQ(r.Code, 0) << r.Err;
    std::string text = ReadFile(dir.File("lone.json"));
    EXPECT_NE(text.find(R"("name": "a\ud800")"), std::string::npos) << text;
    EXPECT_NE(text.find(R"("name": "T\u0000")"), std::string::npos) << text;
    DatabaseSchema read = ReadSnapshot(text);
    std::map<std::string, std::string> columns;
    for (const SchemaObject& t : read.Tables)
        columns[t.Name] = t.Columns.at(0).Name;
    EXPECT_EQ(columns,
              (std::map<std::string, std::string>{{"a\xED\xA0\x80", "x"},
                                                  {"a\xEF\xBF\xBD", "y"},
                                                  {std::string("T\0", 2), "z\xED\xBF\xBF"}}));
    r = Run("generate --schema " + dir.File("lone.json") + " --translate --output " +
            dir.File("o"));
    EXPECT_EQ(r.Code, 1);
    EXPECT_NE(r.Err.find(":a\\uD800:名称含有不成对的 UTF-16 代理项"), std::string::npos) << r.Err;
    EXPECT_NE(r.Err.find(":T\\x00:名称含有控制字符"), std::string::npos) << r.Err;
    EXPECT_NE(r.Err.find(":字段 z\\uDFFF:名称含有不成对的 UTF-16 代理项"), std::string::npos)
        << r.Err;
}

TEST_F(PellamGen, ProceduresGenerateOnlyWhenAskedAndAreLeftOutOrFailedByName)
{
    // A procedure with an OUTPUT parameter, one with a table-valued one, and
    // (in the first case) one dropped right after the list named it.
    auto fixture = [](bool withGone) {
        return Fixture(std::string(R"({"name": "NOLK", "types": [{"name": "Lines", "xusertype": 257,
                 "xtype": 243}], "objects": [
             {"name": "T", "columns": [{"name": "a", "type": "int"}]},
             {"name": "Up", "xtype": "P", "parameters": [
               {"name": "@a", "type": "int"},
               {"name": "@b", "type": "nvarchar", "length": 20, "output": true}]},
             {"name": "Load", "xtype": "P", "parameters": [
               {"name": "@l", "type": "Lines", "length": -1}]})") +
                       (withGone ? R"(, {"name": "Gone", "xtype": "P", "dropAfterListing": true,
               "parameters": [{"name": "@x", "type": "int"}]})"
                                 : "") +
                       "]}");
    };
    {
        StandIn changing(fixture(true));
        Outcome r = Run("generate --procedures --host " + changing.Host() +
                        " --password-env PW --output " + dir.File("gone"));
        EXPECT_EQ(r.Code, 3) << r.Err;
        EXPECT_NE(r.Err.find("dbo.Gone：存储过程在读取时不见了"), std::string::npos) << r.Err;
        EXPECT_FALSE(std::filesystem::exists(dir.File("gone")));
    }
    StandIn server(fixture(false));
    std::string connection = " --host " + server.Host() + " --password-env PW";
    const std::string procedures = "/DBComm/DBProcedures/";

    // Asked for: the typed one is written, the other left out by name.
    Outcome r = Run("generate --procedures" + connection + " --output " + dir.File("with"));
    ASSERT_EQ(r.Code, 0) << r.Err;
    EXPECT_NE(r.Err.find("1 个存储过程的参数类型无法生成，已略过：\npellam-gen: 存储过程 Load:参数 "
                         "@l 的类型 Lines，是表值参数、CLR 类型或未知类型，不属于任何类型组"),
              std::string::npos)
        << r.Err;
    std::string up = ReadFile(dir.File("with") + procedures + "UpProcedure.cpp");
    EXPECT_NE(up.find("CreateParameter(\"@b\",ftWideString,pdInputOutput,10,b);"),
              std::string::npos)
        << up;
    EXPECT_FALSE(std::filesystem::exists(dir.File("with") + procedures + "LoadProcedure.h"));
    EXPECT_NE(ReadFile(dir.File("with/DBComm/DBComm.h")).find("TADOConnection* GetConnection()"),
              std::string::npos);
    // --check sees the procedures' folder: the same run finds it current,
    // one without --procedures finds their files extra.
    r = Run("generate --procedures --check" + connection + " --output " + dir.File("with"));
    EXPECT_EQ(r.Code, 0) << r.Out << r.Err;
    r = Run("generate --check" + connection + " --output " + dir.File("with"));
    EXPECT_EQ(r.Code, 5);
    EXPECT_NE(r.Out.find("多余：DBComm/DBProcedures/UpProcedure.cpp\n"), std::string::npos)
        << r.Out;

    // Not asked for: no statement about procedures, and not a byte differs
    // from a database without any.
    r = Run("generate" + connection + " --output " + dir.File("without"));
    ASSERT_EQ(r.Code, 0) << r.Err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("without/DBComm/DBProcedures")));
    EXPECT_EQ(ReadFile(dir.File("without/DBComm/DBComm.h")).find("GetConnection"),
              std::string::npos);

    // A snapshot taken without them cannot generate them; one taken with
    // them generates what the server does.
    r = Run("schema" + connection + " --to " + dir.File("plain.json"));
    ASSERT_EQ(r.Code, 0) << r.Err;
    EXPECT_EQ(ReadFile(dir.File("plain.json")).find("\"procedures\""), std::string::npos);
    r = Run("generate --procedures --schema " + dir.File("plain.json") + " --output " +
            dir.File("old"));
    EXPECT_EQ(r.Code, 2) << r.Err;
    EXPECT_NE(r.Err.find("快照没有存储过程"), std::string::npos) << r.Err;
    r = Run("schema --procedures" + connection + " --to " + dir.File("full.json"));
    ASSERT_EQ(r.Code, 0) << r.Err;
    r = Run("generate --procedures --schema " + dir.File("full.json") + " --output " +
            dir.File("snap"));
    ASSERT_EQ(r.Code, 0) << r.Err;
    EXPECT_EQ(ReadFile(dir.File("snap") + procedures + "UpProcedure.cpp"), up);
    r = Run("databases --procedures" + connection);
    EXPECT_EQ(r.Code, 2) << r.Err;
}
