// A script line costs one RegexObject: built, one Execute of the line pattern, the name and
// the arguments read, torn down. The tap-on-text search runs two patterns over a UI dump.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "text/regex_object.h"

namespace lingqiao {
namespace {

const std::string kLinePattern = "([\\u4e00-\\u9fa5]*?)\\((.*?)\\)";

void BM_ScriptLine(benchmark::State& state) {
  const std::vector<std::string> lines = {
      "屏幕点击(100,200)", "延时(1000)", "屏幕滑动(100,200,300,400)",
      "运行应用(com.android.browser,com.android.browser.BrowserActivity)",
      "高级文本输入(你好，世界)", "执行命令(shell input keyevent 3)"};
  size_t i = 0;
  for (auto _ : state) {
    RegexObject re;
    re.Execute(kLinePattern, lines[i]);
    std::string name = re.SubMatchText(1, 1);
    std::string args = re.SubMatchText(1, 2);
    benchmark::DoNotOptimize(name);
    benchmark::DoNotOptimize(args);
    if (++i == lines.size()) i = 0;
  }
}
BENCHMARK(BM_ScriptLine);

std::string Node(const std::string& text, const std::string& bounds) {
  return "<node index=\"0\" text=\"" + text +
         "\" resource-id=\"com.android.launcher3:id/icon\" class=\"android.widget.TextView\" "
         "package=\"com.android.launcher3\" content-desc=\"" + text +
         "\" checkable=\"false\" clickable=\"true\" bounds=\"" + bounds + "\" />";
}

// The node sought comes last in a dump of about 100 KB.
void BM_TapTextOverUiDump(benchmark::State& state) {
  std::string dump = "<hierarchy rotation=\"0\">";
  while (dump.size() < 100 * 1024) dump += Node("联系人", "[1,2][3,4]");
  dump += Node("设置", "[5,6][7,8]") + "</hierarchy>";
  for (auto _ : state) {
    RegexObject re;
    re.Execute("text=\"设置\".*?bounds=\"(.*?)\"", dump);
    re.Execute("\\[(.*?),(.*?)\\]\\[(.*?),(.*?)\\]", re.SubMatchText(1, 1));
    std::string right = re.SubMatchText(1, 3);
    benchmark::DoNotOptimize(right);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(dump.size()));
}
BENCHMARK(BM_TapTextOverUiDump)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace lingqiao
