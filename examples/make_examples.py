#!/usr/bin/env python3
"""Writes the example scripts as the main window stores them: GBK, CR LF after every line.

Script files carry no comments (every line is a command), so what each one does is told here.
"""
import pathlib

HERE = pathlib.Path(__file__).resolve().parent

SCRIPTS = {
    # Every command once. 点击屏幕文本 comes last: where the text is not on the screen (and in
    # a dry run) it fails and ends the run.
    "all-commands.Wexil": [
        "屏幕点击(360,640)",
        "延时(500)",
        "屏幕滑动(360,1000,360,300)",
        "运行应用(com.android.settings,.Settings)",
        "安装应用(/data/local/tmp/demo.apk)",
        "文本输入(hello)",
        "高级文本输入(你好，灵桥)",
        "清除应用数据(com.example.demo)",
        "卸载应用(com.example.demo)",
        "模拟按键(4)",
        "执行命令(adb devices)",
        "点击屏幕文本(设置)",
    ],
    # The demo against the simulated emulator: open 设置 by its label, go back, open the page
    # with the text field, type into it both ways, swipe, go home.
    "demo.Wexil": [
        "点击屏幕文本(设置)",
        "延时(800)",
        "模拟按键(4)",
        "延时(500)",
        "点击屏幕文本(浏览器)",
        "延时(800)",
        "屏幕点击(288,96)",
        "文本输入(hello%slingqiao)",
        "高级文本输入( 你好，灵桥)",
        "延时(500)",
        "屏幕滑动(360,1000,360,300)",
        "延时(500)",
        "模拟按键(3)",
    ],
    # Taps in a grid and a few swipes: positions as picked from the thumbnail.
    "taps-and-swipes.Wexil": [
        "屏幕点击(100,200)",
        "屏幕点击(360,200)",
        "屏幕点击(620,200)",
        "延时(300)",
        "屏幕滑动(600,640,120,640)",
        "屏幕滑动(120,640,600,640)",
        "延时(300)",
        "屏幕滑动(360,1100,360,200)",
        "模拟按键(3)",
    ],
    # Starts the browser, types an address and confirms it with the enter key, then goes home.
    "open-browser.Wexil": [
        "运行应用(com.android.browser,com.android.browser.BrowserActivity)",
        "延时(2000)",
        "屏幕点击(360,120)",
        "文本输入(www.example.com)",
        "模拟按键(66)",
        "延时(3000)",
        "模拟按键(3)",
    ],
}


def main():
    for name, lines in SCRIPTS.items():
        data = "".join(line + "\r\n" for line in lines).encode("gbk")
        (HERE / name).write_bytes(data)


if __name__ == "__main__":
    main()
