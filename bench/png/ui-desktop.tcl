# Lays out real Tk windows full of text on a virtual X display, for
# make-corpus to take a screenshot of: a desktop as players have it, with an
# editor, a file list, a document and a dialog over a wallpaper.
#
#   wish ui-desktop.tcl LAYOUT WALLPAPER.png REPO
#
# LAYOUT: code (an editor and a file tree), files (a file manager's table and a
# terminal), japanese (the program's own Japanese strings in a document and a
# list). The window prints "ready" once everything has been drawn.
package require Tk
lassign $argv layout wallpaper repo
set screenWidth [winfo screenwidth .]
set screenHeight [winfo screenheight .]

# The wallpaper fills a window the size of the screen, under the others.
wm overrideredirect . 1
wm geometry . ${screenWidth}x${screenHeight}+0+0
image create photo wallpaper -file $wallpaper
label .wallpaper -image wallpaper -borderwidth 0
pack .wallpaper
# A task bar along the bottom.
frame .wallpaper.bar -background #202124 -height 40
place .wallpaper.bar -x 0 -y [expr {$screenHeight - 40}] -width $screenWidth -height 40
foreach {name x} {Menu 8 Files 100 Editor 220 Terminal 350} {
    label .wallpaper.bar.b$x -text $name -background #303134 -foreground #e8eaed -font {{DejaVu Sans} 10}
    place .wallpaper.bar.b$x -x $x -y 6 -width 110 -height 28
}
label .wallpaper.bar.clock -text "14:25  2024/03/15" -background #202124 -foreground #e8eaed \
    -font {{DejaVu Sans} 10}
place .wallpaper.bar.clock -x [expr {$screenWidth - 160}] -y 10
# Mapped now, so that the windows made below come above it.
update

# A window with a title bar drawn the way a window manager would.
proc window {path title x y width height} {
    toplevel $path -background #c0c0c0 -borderwidth 1 -relief solid
    wm overrideredirect $path 1
    wm geometry $path ${width}x${height}+$x+$y
    frame $path.title -background #3c3f41 -height 30
    pack $path.title -side top -fill x
    label $path.title.text -text $title -background #3c3f41 -foreground white -font {{DejaVu Sans} 10 bold}
    pack $path.title.text -side left -padx 10
    foreach b {× □ _} {
        label $path.title.b[scan $b %c] -text $b -background #3c3f41 -foreground white -font {{DejaVu Sans} 11}
        pack $path.title.b[scan $b %c] -side right -padx 8
    }
    frame $path.body
    pack $path.body -side top -fill both -expand 1
    return $path.body
}

proc editor {body text font} {
    set t $body.text
    text $t -font $font -wrap none -background white -foreground #202020 -borderwidth 0 \
        -yscrollcommand [list $body.scroll set]
    scrollbar $body.scroll -command [list $t yview]
    text $body.lines -font $font -width 5 -background #f0f0f0 -foreground #999999 -borderwidth 0
    pack $body.scroll -side right -fill y
    pack $body.lines -side left -fill y
    pack $t -side left -fill both -expand 1
    $t insert end $text
    set count [lindex [split [$t index end] .] 0]
    for {set i 1} {$i < $count} {incr i} {
        $body.lines insert end [format "%4d\n" $i]
    }
    # Keywords, strings and comments in colour, as an editor shows code (the
    # lines on screen: the search is slow).
    $t tag configure keyword -foreground #0033b3
    $t tag configure string -foreground #067d17
    $t tag configure comment -foreground #8c8c8c
    foreach {pattern tag} {{\m(const|return|if|else|for|while|auto|static|void|int|std|namespace|class|struct|switch|case|throw)\M} keyword
                           {"[^"\n]*"} string {//[^\n]*} comment} {
        set start 1.0
        while {[set match [$t search -count length -regexp -- $pattern $start 200.0]] ne ""} {
            $t tag add $tag $match "$match + $length chars"
            set start "$match + $length chars"
            if {$length == 0} break
        }
    }
}

proc tree {body columns rows font} {
    ttk::style configure Treeview -font $font -rowheight 20
    ttk::treeview $body.tree -columns [lrange $columns 1 end] -show {tree headings}
    $body.tree heading #0 -text [lindex $columns 0]
    foreach c [lrange $columns 1 end] {
        $body.tree heading $c -text $c
        $body.tree column $c -width 140 -anchor e
    }
    $body.tree column #0 -width 420
    pack $body.tree -fill both -expand 1
    set i 0
    foreach row $rows {
        $body.tree insert {} end -text [lindex $row 0] -values [lrange $row 1 end] \
            -tags [expr {[incr i] % 2 ? "odd" : "even"}]
    }
    $body.tree tag configure odd -background #ffffff
    $body.tree tag configure even -background #f2f5fa
}

proc listing {dir} {
    set rows {}
    foreach path [lsort [glob -nocomplain -directory $dir *]] {
        file stat $path st
        lappend rows [list [file tail $path] $st(size) [clock format $st(mtime) -format "%Y-%m-%d %H:%M"] \
                          [file type $path]]
    }
    return $rows
}

set mono {{DejaVu Sans Mono} 10}
set sans {{DejaVu Sans} 10}
set cjk {{Noto Sans CJK JP} 10}
switch $layout {
    code {
        set w [expr {$screenWidth * 62 / 100}]
        set body [window .edit "PngWriter.cpp - editor" [expr {$screenWidth * 30 / 100}] 20 $w \
                      [expr {$screenHeight - 80}]]
        editor $body [exec git -C $repo show 11cd59c:src/image/PngWriter.cpp] $mono
        set body [window .files "Project" 20 60 [expr {$screenWidth * 28 / 100}] [expr {$screenHeight - 160}]]
        set rows {}
        foreach dir {src/image src/capture src/ui bench/png tests} {
            foreach row [listing $repo/$dir] { lappend rows [list $dir/[lindex $row 0] [lindex $row 1]] }
        }
        tree $body {Name Size} $rows $sans
    }
    files {
        set body [window .files "/usr/share/doc - Files" 40 40 [expr {$screenWidth * 60 / 100}] \
                      [expr {$screenHeight * 85 / 100}]]
        tree $body {Name Size Modified Type} [listing /usr/share/doc] $sans
        set body [window .term "Terminal" [expr {$screenWidth * 55 / 100}] [expr {$screenHeight * 30 / 100}] \
                      [expr {$screenWidth * 43 / 100}] [expr {$screenHeight * 62 / 100}]]
        text $body.text -font $mono -background #1e1e1e -foreground #d4d4d4 -borderwidth 0 -wrap none
        pack $body.text -fill both -expand 1
        $body.text insert end "\$ git log --stat | head -300\n"
        $body.text insert end [exec git -C $repo log --stat -n 40 11cd59c 2>@1]
    }
    japanese {
        set body [window .doc "ミルロ - 文字列一覧" 30 30 [expr {$screenWidth * 55 / 100}] \
                      [expr {$screenHeight - 100}]]
        text $body.text -font $cjk -background white -foreground #202020 -borderwidth 0 -wrap word \
            -spacing1 2
        pack $body.text -fill both -expand 1
        set strings [exec sh -c "grep -rhoP '\"\[^\"\]*\[\\x{3040}-\\x{30ff}\\x{4e00}-\\x{9fff}\]\[^\"\]*\"' $repo/src | sort -u"]
        $body.text insert end $strings
        set body [window .list "設定" [expr {$screenWidth * 58 / 100}] 80 [expr {$screenWidth * 40 / 100}] \
                      [expr {$screenHeight * 70 / 100}]]
        listbox $body.list -font $cjk -background #fafafa -borderwidth 0 -selectbackground #0078d4
        pack $body.list -fill both -expand 1
        foreach line [lrange [split $strings \n] 0 80] { $body.list insert end $line }
        $body.list selection set 5
    }
}
update
foreach w [winfo children .] { if {[winfo class $w] eq "Toplevel"} { raise $w } }
update
after 500 {update; puts ready; flush stdout}
