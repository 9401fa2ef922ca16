#!/usr/bin/env bash
# Draws every picture of the installer window with ImageMagick into this folder.
# Re-runnable and deterministic: the same fonts give the same bytes (no time
# stamps are written into the PNG files). Run it after changing a picture here:
#   src/assets/draw.sh
# Sizes and slot orders are those of README.md beside this script.
set -euo pipefail
cd "$(dirname "$0")"

# The window's colours.
readonly FRAME='rgb(18,102,152)'     # the window's frame, the lead colour
readonly DEEP='rgb(11,73,125)'       # the progress label's dark blue
readonly BRIGHT='rgb(40,150,214)'    # a lighter shade of the frame colour
readonly PANEL='rgb(130,210,249)'    # the bottom panels
readonly LINK='rgb(30,112,147)'      # the licence link
readonly MUTED='rgb(160,184,200)'    # steps not yet reached
readonly GREY='rgb(120,120,120)'

readonly FONT='Noto-Sans-CJK-SC'
readonly BOLD='Noto-Sans-CJK-SC-Bold'

# Small pictures are drawn at this many times their size and then scaled down,
# which gives smooth edges at 16 pixels.
readonly SCALE=4

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# save SOURCE... NAME.png: writes a 32-bit PNG without time stamps or comments.
save() {
  local out="${!#}"
  convert "${@:1:$#-1}" +set date:create +set date:modify -strip \
    -define png:exclude-chunks=date,time -define png:color-type=6 "PNG32:$out"
}

# ---------------------------------------------------------------- banner 624 x 205
banner() {
  convert -size 624x205 gradient:"$BRIGHT"-"$FRAME" -rotate 0 \
    \( -size 624x205 xc:none -fill 'rgba(255,255,255,0.07)' \
       -draw 'circle 560,40 560,230' -draw 'circle 470,210 470,330' \
       -fill 'rgba(255,255,255,0.05)' -draw 'circle 90,230 90,330' \) -composite \
    "$work/banner-bg.png"
  # A stylised receipt and printer on the right: the product prints sales slips.
  convert -size 624x205 xc:none \
    -fill 'rgba(0,0,0,0.12)' -draw 'roundrectangle 452,66 592,150 10,10' \
    -fill white -draw 'roundrectangle 448,60 588,144 10,10' \
    -fill "$PANEL" -draw 'rectangle 448,92 588,98' \
    -fill white -draw 'roundrectangle 478,24 558,76 4,4' \
    -fill "$MUTED" -draw 'rectangle 490,36 546,39' -draw 'rectangle 490,46 536,49' \
      -draw 'rectangle 490,56 542,59' \
    -fill "$FRAME" -draw 'rectangle 470,110 566,113' -draw 'rectangle 470,120 546,123' \
    -fill 'rgb(90,200,120)' -draw 'circle 570,74 575,74' \
    -fill white -draw 'roundrectangle 484,130 552,180 4,4' \
    -fill "$MUTED" -draw 'rectangle 494,142 542,145' -draw 'rectangle 494,152 530,155' \
      -draw 'rectangle 494,162 538,165' \
    "$work/banner-art.png"
  save "$work/banner-bg.png" "$work/banner-art.png" -composite \
    -font "$BOLD" -pointsize 30 -fill white -annotate +40+88 '柏岚销售记账打印软件' \
    -font "$FONT" -pointsize 15 -fill 'rgba(255,255,255,0.85)' \
      -annotate +42+122 '开单 · 记账 · 打印，一个软件全部搞定' \
    -fill 'rgba(255,255,255,0.9)' -draw 'roundrectangle 42,146 178,172 13,13' \
    -font "$BOLD" -pointsize 13 -fill "$FRAME" -annotate +56+164 '安全 · 快速 · 免费' \
    banner.png
}

# ---------------------------------------------------------------- install 80 x 80
install_button() {
  local s=$((80 * SCALE))
  convert -size ${s}x${s} xc:none \
    -fill 'rgba(11,73,125,0.25)' -draw "circle $((s / 2)),$((s / 2 + 6)) $((s / 2)),$((s - 6))" \
    \( -size ${s}x${s} radial-gradient:"$BRIGHT"-"$FRAME" \
       \( -size ${s}x${s} xc:black -fill white -draw "circle $((s / 2)),$((s / 2)) $((s / 2)),10" \) \
       -alpha off -compose copy_opacity -composite \) -compose over -composite \
    -fill none -stroke 'rgba(255,255,255,0.6)' -strokewidth 6 \
      -draw "circle $((s / 2)),$((s / 2)) $((s / 2)),22" \
    -stroke none -fill white \
      -draw "rectangle $((s / 2 - 12)),50 $((s / 2 + 12)),104" \
      -draw "polygon $((s / 2 - 38)),100 $((s / 2 + 38)),100 $((s / 2)),140" \
      -draw "roundrectangle $((s / 2 - 46)),150 $((s / 2 + 46)),160 5,5" \
    "$work/install.png"
  save "$work/install.png" -resize 80x80 \
    -font "$BOLD" -pointsize 15 -fill white -gravity north -annotate +0+43 '安装' \
    install.png
}

# ---------------------------------------------------------------- browse 58 x 23
browse_button() {
  # Joins the right end of the path frame: square on the left, rounded on the right.
  save -size 58x23 xc:none \
    -fill "$FRAME" -draw 'roundrectangle 0,0 57,22 4,4' -draw 'rectangle 0,0 6,22' \
    -fill 'rgba(255,255,255,0.12)' -draw 'rectangle 0,0 57,10' \
    -font "$BOLD" -pointsize 12 -fill white -gravity center -annotate +0+0 '浏 览' \
    browse.png
}

# ---------------------------------------------------------------- path frame 321 x 23
path_frame() {
  # A white field with a thin frame-coloured border, rounded on the left; the
  # browse button continues it on the right.
  save -size 321x23 xc:none \
    -fill "$FRAME" -draw 'roundrectangle 0,0 330,22 4,4' \
    -fill white -draw 'roundrectangle 1,1 330,21 3,3' \
    -fill 'rgb(232,242,248)' -draw 'rectangle 3,1 320,2' \
    -crop 321x23+0+0 +repage \
    pathframe.png
}

# ---------------------------------------------------------------- steps 3 x (207 x 22)
# step_slot SLOT HIGHLIGHTED: the three step names behind arrows in circles.
step_slot() {
  local slot=$1 lit=$2
  local names=('选项' '安装' '完成')
  local args=(-size $((207 * SCALE))x$((22 * SCALE)) xc:none)
  local i x cx colour
  for i in 0 1 2; do
    x=$((i * 69 * SCALE))
    cx=$((x + 11 * SCALE))
    if [ "$i" -eq "$lit" ]; then colour="$FRAME"; else colour="$MUTED"; fi
    args+=(-fill "$colour" -draw "circle $cx,$((11 * SCALE)) $cx,$((2 * SCALE))"
      -fill white -draw "polygon $((cx - 2 * SCALE)),$((6 * SCALE)) $((cx + 4 * SCALE)),$((11 * SCALE)) $((cx - 2 * SCALE)),$((16 * SCALE))")
    if [ "$i" -lt 2 ]; then
      args+=(-fill "$MUTED" -draw "rectangle $((x + 52 * SCALE)),$((11 * SCALE - 2)) $((x + 64 * SCALE)),$((11 * SCALE + 2))")
    fi
  done
  convert "${args[@]}" -resize 207x22 "$work/steps-art-$slot.png"
  args=("$work/steps-art-$slot.png")
  for i in 0 1 2; do
    x=$((i * 69 + 23))
    if [ "$i" -eq "$lit" ]; then
      args+=(-font "$BOLD" -fill "$DEEP")
    else
      args+=(-font "$FONT" -fill "$GREY")
    fi
    args+=(-pointsize 13 -annotate "+$x+16" "${names[$i]}")
  done
  convert "${args[@]}" "$work/steps-$slot.png"
}

steps() {
  # Slot 0 highlights the last step, slot 2 the first.
  step_slot 0 2
  step_slot 1 1
  step_slot 2 0
  save "$work/steps-0.png" "$work/steps-1.png" "$work/steps-2.png" +append steps.png
}

# ---------------------------------------------------------------- window buttons 3 x (45 x 20)
window_buttons() {
  local cross='line 18,6 27,15 line 27,6 18,15'
  convert -size 45x20 xc:'rgb(212,54,54)' -stroke white -strokewidth 1.6 -draw "$cross" \
    "$work/close.png"
  convert -size 45x20 xc:'rgb(240,84,84)' -stroke white -strokewidth 2.2 -draw "$cross" \
    "$work/close-lit.png"
  convert -size 45x20 xc:white -fill 'rgb(60,60,60)' -draw 'rectangle 17,10 27,11' \
    "$work/minimise.png"
  save "$work/close.png" "$work/close-lit.png" "$work/minimise.png" +append windowbuttons.png
}

# ---------------------------------------------------------------- 16 x 16 icons
# icon NAME DRAW...: draws on a 64 x 64 canvas and scales it to 16 x 16.
icon() {
  local name=$1
  shift
  convert -size $((16 * SCALE))x$((16 * SCALE)) xc:none "$@" -resize 16x16 "$work/$name.png"
}

# disabled NAME: the grey, faded twin of an icon.
disabled() {
  convert "$work/$1.png" -colorspace gray -channel A -evaluate multiply 0.45 +channel \
    -colorspace sRGB "$work/$1-off.png"
}

status_icons() {
  # 0 idle: a grey ring with a pause sign.
  icon idle -fill 'rgb(150,150,150)' -draw 'circle 32,32 32,4' \
    -fill white -draw 'rectangle 22,18 28,46' -draw 'rectangle 36,18 42,46'
  # 1 running: a blue disc with a downward arrow.
  icon running -fill "$FRAME" -draw 'circle 32,32 32,4' \
    -fill white -draw 'rectangle 27,14 37,34' -draw 'polygon 16,32 48,32 32,50'
  # 2 received: a green disc with a tick.
  icon received -fill 'rgb(46,160,80)' -draw 'circle 32,32 32,4' \
    -fill none -stroke white -strokewidth 7 -draw 'polyline 18,33 28,43 46,22'
  # 3 recycled: a bin.
  icon recycled -fill 'rgb(120,130,140)' -draw 'roundrectangle 16,18 48,58 4,4' \
    -draw 'roundrectangle 10,10 54,16 2,2' -draw 'rectangle 26,5 38,10' \
    -fill white -draw 'rectangle 23,24 27,52' -draw 'rectangle 30,24 34,52' -draw 'rectangle 37,24 41,52'
  save "$work/idle.png" "$work/running.png" "$work/received.png" "$work/recycled.png" +append status.png
}

toolbar_icons() {
  # Slots in pairs, normal then disabled: 0 start all, 2 stop, 4 add, 6 check for
  # updates, 8 delete, 10 settings, 12 exit, 14 pause.
  icon play -fill 'rgb(46,160,80)' -draw 'polygon 16,8 56,32 16,56'
  icon stop -fill 'rgb(212,54,54)' -draw 'roundrectangle 12,12 52,52 6,6'
  icon add -fill "$FRAME" -draw 'circle 32,32 32,4' \
    -fill white -draw 'rectangle 28,16 36,48' -draw 'rectangle 16,28 48,36'
  icon update -fill none -stroke "$FRAME" -strokewidth 8 -draw 'arc 10,10 54,54 200,500' \
    -stroke none -fill "$FRAME" -draw 'polygon 6,22 26,22 14,40'
  icon delete -stroke 'rgb(212,54,54)' -strokewidth 10 -draw 'line 14,14 50,50 line 50,14 14,50'
  icon settings -fill 'rgb(90,100,110)' -draw 'circle 32,32 32,8' \
    -draw 'rectangle 28,2 36,62' -draw 'rectangle 2,28 62,36' \
    -draw 'polygon 9,14 14,9 55,50 50,55' -draw 'polygon 50,9 55,14 14,55 9,50' \
    -fill white -draw 'circle 32,32 32,23'
  icon exit -fill none -stroke 'rgb(212,54,54)' -strokewidth 7 -draw 'arc 10,10 54,54 -60,240' \
    -stroke none -fill 'rgb(212,54,54)' -draw 'rectangle 28,4 36,32'
  icon pause -fill "$LINK" -draw 'roundrectangle 14,8 27,56 3,3' -draw 'roundrectangle 37,8 50,56 3,3'
  local order=(play stop add update delete settings exit pause)
  local strip=()
  local name
  for name in "${order[@]}"; do
    disabled "$name"
    strip+=("$work/$name.png" "$work/$name-off.png")
  done
  save "${strip[@]}" +append toolbar.png
}

# ---------------------------------------------------------------- application icon 256 x 256
app_icon() {
  convert -size 256x256 xc:none \
    -fill 'rgba(11,73,125,0.3)' -draw 'roundrectangle 14,20 242,248 48,48' \
    \( -size 256x256 gradient:"$BRIGHT"-"$FRAME" \
       \( -size 256x256 xc:black -fill white -draw 'roundrectangle 12,10 244,242 48,48' \) \
       -alpha off -compose copy_opacity -composite \) -compose over -composite \
    "$work/app.png"
  save "$work/app.png" -font "$BOLD" -pointsize 150 -fill white -gravity center -annotate +0-6 '岚' \
    app.png
}

banner
install_button
browse_button
path_frame
steps
window_buttons
status_icons
toolbar_icons
app_icon
for picture in banner install browse pathframe steps windowbuttons status toolbar app; do
  identify -format '%f %wx%h\n' "$picture.png"
done
