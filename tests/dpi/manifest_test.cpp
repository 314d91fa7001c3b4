// The manifest inside the built saver, read back as the system's loader
// reads it: the RT_MANIFEST resource of the program file. The running
// program's own answer proves nothing here (Wine treats every window as
// per-monitor aware whatever the manifest says), so the declarations are
// checked where the system reads them: element, namespace and value.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/robot/robot.h"

namespace {

const char kAsmV1[] = "urn:schemas-microsoft-com:asm.v1";
const char kAsmV3[] = "urn:schemas-microsoft-com:asm.v3";
const char kSettings2005[] = "http://schemas.microsoft.com/SMI/2005/WindowsSettings";
const char kSettings2016[] = "http://schemas.microsoft.com/SMI/2016/WindowsSettings";

// One element of the manifest: its namespace and local name and those of its
// ancestors (root first), its attributes and its text.
struct Element {
    std::vector<std::string> path; // "namespace|name", root first
    std::vector<std::pair<std::string, std::string>> attributes;
    std::string text;
};

struct Scope {
    std::vector<std::pair<std::string, std::string>> prefixes; // prefix ("" default), namespace
    size_t element;
};

std::string Resolve(const std::vector<Scope>& scopes, const std::string& prefix) {
    for (size_t i = scopes.size(); i-- > 0;)
        for (const auto& binding : scopes[i].prefixes)
            if (binding.first == prefix)
                return binding.second;
    return "";
}

std::string Trim(const std::string& text) {
    size_t first = text.find_first_not_of(" \t\r\n");
    size_t last = text.find_last_not_of(" \t\r\n");
    return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

// Reads the elements of a manifest, resolving namespaces as XML does; false
// when the document is not well nested.
bool ParseManifest(const std::string& xml, std::vector<Element>* elements) {
    std::vector<Scope> open;
    size_t at = 0;
    while ((at = xml.find('<', at)) != std::string::npos) {
        size_t end = xml.find('>', at);
        if (end == std::string::npos)
            return false;
        std::string tag = xml.substr(at + 1, end - at - 1);
        size_t next = end + 1;
        if (tag.compare(0, 3, "!--") == 0) {
            next = xml.find("-->", at);
            if (next == std::string::npos)
                return false;
            at = next + 3;
            continue;
        }
        if (tag[0] == '?') {
            at = next;
            continue;
        }
        if (tag[0] == '/') {
            if (open.empty())
                return false;
            open.pop_back();
            at = next;
            continue;
        }
        bool empty = tag.back() == '/';
        if (empty)
            tag.pop_back();
        size_t nameEnd = tag.find_first_of(" \t\r\n");
        std::string name = tag.substr(0, nameEnd);
        Element element;
        Scope scope = {{}, elements->size()};
        for (size_t a = nameEnd; a != std::string::npos && a < tag.size();) {
            size_t eq = tag.find('=', a);
            if (eq == std::string::npos)
                break;
            size_t quote = tag.find_first_of("\"'", eq);
            size_t close = quote == std::string::npos ? quote : tag.find(tag[quote], quote + 1);
            if (close == std::string::npos)
                return false;
            std::string key = Trim(tag.substr(a, eq - a));
            std::string value = tag.substr(quote + 1, close - quote - 1);
            if (key == "xmlns")
                scope.prefixes.push_back({"", value});
            else if (key.compare(0, 6, "xmlns:") == 0)
                scope.prefixes.push_back({key.substr(6), value});
            else
                element.attributes.push_back({key, value});
            a = close + 1;
        }
        open.push_back(scope);
        size_t colon = name.find(':');
        std::string prefix = colon == std::string::npos ? "" : name.substr(0, colon);
        std::string local = colon == std::string::npos ? name : name.substr(colon + 1);
        if (open.size() > 1)
            element.path = (*elements)[open[open.size() - 2].element].path;
        element.path.push_back(Resolve(open, prefix) + "|" + local);
        if (!empty) {
            size_t textEnd = xml.find('<', next);
            if (textEnd != std::string::npos)
                element.text = xml.substr(next, textEnd - next);
        }
        elements->push_back(element);
        if (empty)
            open.pop_back();
        at = next;
    }
    return open.empty() && !elements->empty();
}

const Element* Find(const std::vector<Element>& elements, const std::vector<std::string>& path) {
    for (const Element& element : elements)
        if (element.path == path)
            return &element;
    return nullptr;
}

std::string Attribute(const Element* element, const char* name) {
    for (const auto& attribute : element->attributes)
        if (attribute.first == name)
            return attribute.second;
    return "(none)";
}

std::string Lower(std::string text) {
    for (char& c : text)
        c = (char)tolower((unsigned char)c);
    return text;
}

std::string Name(const char* space, const char* local) {
    return std::string(space) + "|" + local;
}

// What the system reads: the manifest's architectures and DPI declarations.
// Empty when everything is as it should be, else what is wrong.
std::string CheckManifest(const std::string& xml, const std::string& architecture) {
    std::vector<Element> elements;
    if (!ParseManifest(xml, &elements))
        return "not well-formed";
    std::string assembly = Name(kAsmV1, "assembly");
    const Element* own = Find(elements, {assembly, Name(kAsmV1, "assemblyIdentity")});
    if (!own || Lower(Attribute(own, "processorArchitecture")) != architecture)
        return "the program's identity does not name " + architecture;
    const Element* controls =
        Find(elements, {assembly, Name(kAsmV1, "dependency"), Name(kAsmV1, "dependentAssembly"),
                        Name(kAsmV1, "assemblyIdentity")});
    if (!controls || Attribute(controls, "name") != "Microsoft.Windows.Common-Controls" ||
        Attribute(controls, "version") != "6.0.0.0" ||
        Attribute(controls, "publicKeyToken") != "6595b64144ccf1df" ||
        Lower(Attribute(controls, "processorArchitecture")) != architecture)
        return "the common-controls dependency is not version 6 for " + architecture;
    std::vector<std::string> settings = {assembly, Name(kAsmV3, "application"),
                                         Name(kAsmV3, "windowsSettings")};
    std::vector<std::string> aware = settings, awareness = settings;
    aware.push_back(Name(kSettings2005, "dpiAware"));
    awareness.push_back(Name(kSettings2016, "dpiAwareness"));
    const Element* dpiAware = Find(elements, aware);
    const Element* dpiAwareness = Find(elements, awareness);
    // Per monitor from 8.1 on, system DPI on the systems before it.
    if (!dpiAware || Lower(Trim(dpiAware->text)) != "true/pm")
        return "no dpiAware true/pm in the 2005 settings";
    // The first value the system knows wins: version 2 where offered.
    std::vector<std::string> values;
    std::string list = dpiAwareness ? dpiAwareness->text : "";
    for (size_t start = 0; start <= list.size();) {
        size_t comma = list.find(',', start);
        if (comma == std::string::npos)
            comma = list.size();
        values.push_back(Lower(Trim(list.substr(start, comma - start))));
        start = comma + 1;
    }
    if (values != std::vector<std::string>{"permonitorv2", "permonitor"})
        return "no dpiAwareness PerMonitorV2, PerMonitor in the 2016 settings";
    return "";
}

// The architecture the system's loader compares with the manifest's.
std::string FileArchitecture(HMODULE image) {
    const BYTE* base = (const BYTE*)((ULONG_PTR)image & ~(ULONG_PTR)3);
    const IMAGE_DOS_HEADER* dos = (const IMAGE_DOS_HEADER*)base;
    const IMAGE_NT_HEADERS* nt = (const IMAGE_NT_HEADERS*)(base + dos->e_lfanew);
    switch (nt->FileHeader.Machine) {
    case IMAGE_FILE_MACHINE_I386:
        return "x86";
    case IMAGE_FILE_MACHINE_AMD64:
        return "amd64";
    default:
        return "other";
    }
}

TEST(Manifest, TheBuiltSaverDeclaresPerMonitorAwarenessWithTheSystemFallback) {
    std::string path = robot::SaverPath();
    HMODULE image = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, image) << path;
    std::string architecture = FileArchitecture(image);
    EXPECT_EQ(sizeof(void*) == 8 ? "amd64" : "x86", architecture)
        << "the saver is not of this build's architecture";
    HRSRC found = FindResourceA(image, MAKEINTRESOURCEA(1), (LPCSTR)RT_MANIFEST);
    ASSERT_NE(nullptr, found) << "no manifest resource 1";
    const char* data = (const char*)LockResource(LoadResource(image, found));
    ASSERT_NE(nullptr, data);
    std::string xml(data, SizeofResource(image, found));
    EXPECT_EQ("", CheckManifest(xml, architecture)) << xml;
    FreeLibrary(image);
}

// The check tells the forms the system reads from look-alikes it ignores.
TEST(Manifest, TheCheckRefusesDeclarationsTheSystemWouldNotRead) {
    const std::string head = "<?xml version=\"1.0\"?><assembly xmlns=\"" + std::string(kAsmV1) +
                             "\" manifestVersion=\"1.0\">"
                             "<assemblyIdentity processorArchitecture=\"X86\" name=\"a\"/>"
                             "<dependency><dependentAssembly><assemblyIdentity type=\"win32\" "
                             "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\" "
                             "processorArchitecture=\"x86\" publicKeyToken=\"6595b64144ccf1df\"/>"
                             "</dependentAssembly></dependency>";
    auto settings = [&](const std::string& aware, const std::string& awareness) {
        return head + "<asmv3:application xmlns:asmv3=\"" + kAsmV3 +
               "\"><asmv3:windowsSettings><dpiAware xmlns=\"" + kSettings2005 + "\">" + aware +
               "</dpiAware><dpiAwareness xmlns=\"" + awareness +
               "</dpiAwareness></asmv3:windowsSettings></asmv3:application></assembly>";
    };
    std::string good = std::string(kSettings2016) + "\"> PerMonitorV2 ,PerMonitor";
    EXPECT_EQ("", CheckManifest(settings("True/PM", good), "x86")) << "a prefix is as good";
    EXPECT_NE("", CheckManifest(settings("true/pm", good), "amd64"));
    EXPECT_NE("", CheckManifest(settings("true", good), "x86")) << "system DPI only";
    EXPECT_NE("", CheckManifest(settings("true/pm", std::string(kSettings2005) +
                                                        "\">PerMonitorV2, PerMonitor"),
                                "x86"))
        << "the 2016 element in the 2005 namespace";
    EXPECT_NE(
        "", CheckManifest(settings("true/pm", std::string(kSettings2016) + "\">PerMonitor"), "x86"))
        << "no version 2";
    EXPECT_NE("", CheckManifest(settings("true/pm", good).substr(0, 300), "x86"));
}

} // namespace
