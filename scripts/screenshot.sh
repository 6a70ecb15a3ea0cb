#!/bin/sh
# Takes docs/screenshot.png: the program, copied into a temporary directory with
# a few demo sites, runs under Xvfb on a screen of exactly the window's size;
# a site is picked and a row clicked, then the screen is captured.
# Usage: scripts/screenshot.sh [path/to/qinghe-rank]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$root/build/default/bin/qinghe-rank}
[ -x "$program" ] || { echo "build the program first: $program" >&2; exit 1; }
for tool in xvfb-run xdotool import iconv; do
    command -v "$tool" >/dev/null || { echo "missing $tool (scripts/install-deps.sh)" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$program" "$work/qinghe-rank"
touch "$work/portable"  # keep the demo sites beside the copy
sites="$work/排名网站"
mkdir "$sites"
site() {  # site ADDRESS KEYWORD...: a site file in GBK, each keyword followed by ##
    file="$sites/$1.txt"
    shift
    printf '%s##' "$@" | iconv -f UTF-8 -t GBK >"$file"
}
site www.qinghe.example 关键词排名查询 网站排名 百度排名工具 "SEO 优化" 长尾关键词挖掘 站长工具
site shop.qinghe.example 在线商城 青禾茶叶 绿茶礼盒 明前龙井 茶具套装 "新茶 上市"
site blog.qinghe.example 建站教程 网站优化技巧 "域名 备案" 服务器选择 内容更新频率

out="$root/docs/screenshot.png"
mkdir -p "$root/docs"
export work out
xvfb-run -a -s "-screen 0 608x420x24" sh -c '
    "$work/qinghe-rank" &
    pid=$!
    sleep 2
    xdotool mousemove 300 19 click 1 key Down  # the site list: pick its first entry
    sleep 0.5
    xdotool mousemove 200 100 click 1          # a row of the keyword list
    sleep 0.5
    import -window root "$out"
    kill "$pid"
'
echo "wrote $out"
