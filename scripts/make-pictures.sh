#!/usr/bin/env bash
# Draws the pictures that the program embeds (resources/images): the company
# logo, the two language pictures, the six product screenshots and the two
# plug-in pictures of the tooltips. Needs ImageMagick and a CJK font
# (fonts-wqy-microhei). The results are committed; run this again only to
# change them.
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="$top/resources/images"
mkdir -p "$out"

cjk_font="/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"
latin_font="DejaVu-Sans"
latin_bold="DejaVu-Sans-Bold"
[ -f "$cjk_font" ] || { echo "missing $cjk_font (apt-get install fonts-wqy-microhei)" >&2; exit 1; }

# PNG files without time stamps or other chunks that change on every run.
png_options=(-strip -depth 8 -define png:exclude-chunks=date,time)

#-------------------------------------------------------------------------------
# Company logo, shown 81 x 18: a small peak and the name. Drawn at three
# times that size, so that it stays sharp on a display scaled up to 300 %.
convert -size 243x54 xc:none \
    -fill '#1b2a49' -draw "polygon 0,53 18,6 27,24 36,12 51,53" \
    -font DejaVu-Sans-Condensed-Bold -pointsize 33 -annotate +57+42 'VELMORA' \
    "${png_options[@]}" "PNG32:$out/logo.png"

#-------------------------------------------------------------------------------
# Language pictures: "文" on the left half, "En" on the right; the dark half
# is the current language.
#   language_cn.png (209 x 200): "文" dark, "En" light
#   language_en.png (200 x 200): "En" dark, "文" light
language_picture()
{
    local file="$1" width="$2" chinese_dark="$3"
    local half=$((width / 2))
    local dark='#333333' light='#e4e4e4' dark_text='#ffffff' light_text='#777777'
    local cn_back cn_text en_back en_text

    if [ "$chinese_dark" = yes ]; then
        cn_back=$dark; cn_text=$dark_text; en_back=$light; en_text=$light_text
    else
        cn_back=$light; cn_text=$light_text; en_back=$dark; en_text=$dark_text
    fi

    convert -size "${width}x200" xc:none \
        -fill "$cn_back" -draw "roundrectangle 0,0 $((half + 20)),199 28,28" \
        -fill "$en_back" -draw "rectangle $half,0 $((width - 29)),199" \
        -fill "$en_back" -draw "roundrectangle $((half + 1)),0 $((width - 1)),199 28,28" \
        -fill "$cn_back" -draw "rectangle 0,0 $((half - 1)),199" \
        -fill "$cn_back" -draw "roundrectangle 0,0 $((half - 1)),199 28,28" \
        -fill "$cn_back" -draw "rectangle 28,0 $((half - 1)),199" \
        -font "$cjk_font" -pointsize 82 -fill "$cn_text" -gravity west -annotate "+$(((half - 82) / 2))+0" '文' \
        -font "$latin_bold" -pointsize 64 -fill "$en_text" -gravity east -annotate "+$(((width - half - 78) / 2))+0" 'En' \
        "${png_options[@]}" "PNG32:$out/$file"
}

language_picture language_cn.png 209 yes
language_picture language_en.png 200 no

#-------------------------------------------------------------------------------
# Product screenshots for the tooltips, drawn at the size the tooltip shows
# them (tooltip width - 20 wide): a dark application window with a title
# bar and channel strips or editor panels.
#   screenshot <file> <width> <height> <title> <accent colour> <strips> <knobs per strip>
screenshot()
{
    local file="$1" width="$2" height="$3" title="$4" accent="$5" strips="$6" knobs="$7"
    local draw=()
    local strip_width=$(((width - 20) / strips))
    local top=34 bottom=$((height - 12))

    draw+=(-fill '#1e1f22' -draw "rectangle 0,0 $((width - 1)),23")
    draw+=(-fill "$accent" -draw "rectangle 0,23 $((width - 1)),25")
    draw+=(-fill '#e81123' -draw "circle $((width - 14)),12 $((width - 9)),12")
    draw+=(-fill '#f0b400' -draw "circle $((width - 30)),12 $((width - 25)),12")

    for ((i = 0; i < strips; i++)); do
        local x0=$((10 + i * strip_width)) x1=$((10 + (i + 1) * strip_width - 6))
        local cx=$(((x0 + x1) / 2))
        draw+=(-fill '#3a3c42' -draw "roundrectangle $x0,$top $x1,$bottom 4,4")

        local y=$((top + 16))
        for ((k = 0; k < knobs; k++)); do
            draw+=(-fill '#55585f' -draw "circle $cx,$y $((cx + 8)),$y")
            draw+=(-stroke "$accent" -strokewidth 2 -draw "line $cx,$y $((cx + 5 - (i + k) % 3 * 5)),$((y - 6))" -stroke none)
            y=$((y + 24))
        done

        local fader_top=$((y - 4)) fader_bottom=$((bottom - 22))
        if [ $fader_bottom -gt $((fader_top + 20)) ]; then
            local level=$((fader_top + (fader_bottom - fader_top) * ((i * 37) % 70 + 15) / 100))
            draw+=(-fill '#15161a' -draw "rectangle $((cx - 2)),$fader_top $((cx + 2)),$fader_bottom")
            draw+=(-fill "$accent" -draw "rectangle $((cx + 6)),$level $((cx + 9)),$fader_bottom")
            draw+=(-fill '#d0d0d0' -draw "roundrectangle $((cx - 9)),$((level - 5)) $((cx + 9)),$((level + 5)) 2,2")
        fi

        draw+=(-fill '#9a9da3' -font "$latin_font" -pointsize 9 -annotate "+$((x0 + 4))+$((bottom - 6))" "CH $((i + 1))")
    done

    convert -size "${width}x${height}" xc:'#2b2d31' "${draw[@]}" \
        -fill '#e0e0e0' -font "$latin_bold" -pointsize 12 -annotate +10+17 "$title" \
        -colors 48 "${png_options[@]}" "PNG32:$out/$file"
}

screenshot tooltip_tesselmax.png 530 350 'Tessel Max' '#1ed7ff' 10 3
screenshot tooltip_tessellite.png 430 290 'Tessel Lite' '#7ddc5a' 4 1
screenshot tooltip_tessel.png 430 290 'Tessel' '#ffb02e' 6 2
screenshot tooltip_tesselmini.png 430 350 'Tessel Mini' '#ff6f91' 5 2
screenshot tooltip_vortexdeck.png 430 270 'Vortex Deck' '#b48cff' 8 4
screenshot tooltip_keyweave.png 430 270 'KeyWeave' '#4fd1c5' 8 1

#-------------------------------------------------------------------------------
# Plug-in pictures (JPEG, 280 x 180): a panel of shortcut keys, labelled in
# Chinese or in English.
#   plugin_picture <file> <font> <heading> <key labels...>
plugin_picture()
{
    local file="$1" font="$2" heading="$3"
    shift 3
    local draw=() i=0

    for label in "$@"; do
        local col=$((i % 3)) row=$((i / 3))
        local x0=$((14 + col * 88)) y0=$((46 + row * 42))
        draw+=(-fill '#ffffff' -stroke '#c8ccd4' -draw "roundrectangle $x0,$y0 $((x0 + 78)),$((y0 + 32)) 6,6" -stroke none)
        draw+=(-fill '#1b2a49' -font "$font" -pointsize 13 -annotate "+$((x0 + 10))+$((y0 + 21))" "$label")
        i=$((i + 1))
    done

    convert -size 280x180 xc:'#eef1f6' \
        -fill '#006994' -draw "rectangle 0,0 279,33" \
        -fill '#ffffff' -font "$font" -pointsize 16 -annotate +12+23 "$heading" \
        "${draw[@]}" -strip -quality 85 "$out/$file"
}

plugin_picture plugin_cn.jpg "$cjk_font" '自定义快捷键' '撤销' '重做' '录音' '播放' '静音' '标记' '循环' '保存' '导出'
plugin_picture plugin_en.jpg "$latin_font" 'Custom Shortcuts' 'Undo' 'Redo' 'Record' 'Play' 'Mute' 'Marker' 'Loop' 'Save' 'Export'

ls -l "$out"
