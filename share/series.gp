# One picture of a series: every file given, in order. Above, E0, the jump,
# the noise (and the shift of --align) against the place in the series, the
# refused files marked at their place, the warned ones ringed. Below, every
# reduced spectrum overlaid: the normalised absorption around its edge,
# chi(k)·k² and |FT|; the file names in the key for up to 12 spectra, a
# colour scale of the place beyond.
# Every input comes as a string variable given with gnuplot -e:
#   table   tab-separated file: a header line
#           "index file status e0_eV jump noise shift_eV gabs gexa gfou
#           reduced", then one row per file in the order given (index =
#           place, from 1; status ok, warned or refused; reduced = its
#           place among the reduced ones; the numbers, paths and reduced
#           empty where there is none)
#   output  path of the picture      term   'png' or 'svg'
#   title   title of the picture
# Example:
#   gnuplot -e "table='run/series.tsv'; output='run/series.png'; term='png'; title='Cu foil'" series.gp

set encoding utf8
if (term eq 'svg') {
  set terminal svg size 1650,1100 dynamic font "DejaVu Sans,12" fontscale 1.3 background "white" noenhanced
} else {
  if (term ne 'png') { print "series.gp: term must be 'png' or 'svg', not '".term."'"; exit status 2 }
  set terminal pngcairo size 1650,1100 font "DejaVu Sans,12" noenhanced
}
set output output

# The table: every row's place, name and status, and the reduced ones'
# files and values.
set datafile separator "\t"
stats table skip 1 using 1 nooutput
rows = STATS_records
first = STATS_min
last = STATS_max
array name[rows]
array place[rows]
array gabs[rows]
array gexa[rows]
array gfou[rows]
array e0[rows]
array jump[rows]
reduced = 0
warned = 0
shifted = 0
with_noise = 0
stats table skip 1 using (shifted = shifted + (strlen(strcol(7)) > 0), \
    with_noise = with_noise + (strlen(strcol(6)) > 0), warned = warned + (strcol(3) eq 'warned'), \
    (strcol(3) ne 'refused') ? (reduced = reduced + 1, gabs[reduced] = strcol(8), \
    gexa[reduced] = strcol(9), gfou[reduced] = strcol(10), e0[reduced] = $4, jump[reduced] = $5, \
    name[reduced] = strcol(2), place[reduced] = $1) : 0) nooutput
if (reduced < 1) { print "series.gp: no reduced spectrum in ".table; exit status 2 }
refused = rows - reduced

# Value ranges with a margin; when every value is the same, a range of
# `flat` around it. The refused are marked at the bottom of each range.
pad(lo, hi, flat) = hi > lo ? 0.08 * (hi - lo) : flat
relative(v) = (v != 0 ? 0.1 * abs(v) : 1)
stats table skip 1 using 4 nooutput
e0_lo = STATS_min - pad(STATS_min, STATS_max, 1); e0_hi = STATS_max + pad(STATS_min, STATS_max, 1)
stats table skip 1 using 5 nooutput
jump_flat = relative(STATS_min)
jump_lo = STATS_min - pad(STATS_min, STATS_max, jump_flat); jump_hi = STATS_max + pad(STATS_min, STATS_max, jump_flat)
if (with_noise > 0) {
  stats table skip 1 using 6 nooutput
  noise_flat = relative(STATS_min)
  noise_lo = STATS_min - pad(STATS_min, STATS_max, noise_flat); noise_hi = STATS_max + pad(STATS_min, STATS_max, noise_flat)
}
if (shifted > 0) {
  stats table skip 1 using 7 nooutput
  shift_lo = STATS_min - pad(STATS_min, STATS_max, 0.5); shift_hi = STATS_max + pad(STATS_min, STATS_max, 0.5)
}
set datafile separator whitespace

# The weight exponent of the transform, from the first header line of the
# first .gfou file ("# k interval= ... Weight k^WH WH= w": its 13th word).
set datafile commentschars ""
stats gfou[1] every ::0::0 using 13 nooutput
W = STATS_max
set datafile commentschars "#"
sup(n) = n == 1 ? "¹" : n == 2 ? "²" : n == 3 ? "³" : n == 4 ? "⁴" : n == 5 ? "⁵" : "^".gprintf("%g", n)
kw = (W == 1 ? "k" : "k".sup(W))

# Colours: twelve distinct ones with the names in the key, or the place on
# a colour scale.
named = (reduced <= 12)
colours = "#1f77b4 #d62728 #2ca02c #9467bd #ff7f0e #17becf #8c564b #e377c2 #7f7f7f #bcbd22 #393b79 #637939"
array rgb[12] = [0x1f77b4, 0xd62728, 0x2ca02c, 0x9467bd, 0xff7f0e, 0x17becf, 0x8c564b, 0xe377c2, \
                 0x7f7f7f, 0xbcbd22, 0x393b79, 0x637939]
set palette defined (0 "#3b4cc0", 0.35 "#1b9e77", 0.65 "#e6a100", 1 "#b2182b")
set cbrange [first - 0.5 : last + 0.5]
tic_step(w) = (p = 10 ** floor(log10(w / 5)), f = w / 5 / p, (f < 1.5 ? 1 : f < 3.5 ? 2 : f < 7.5 ? 5 : 10) * p)
place_step = (last - first < 5 ? 1 : tic_step(last - first))
place_tic = place_step * ceil(first / place_step)
dot = (rows > 100 ? 0.5 : rows > 20 ? 0.8 : 1.3) * (term eq 'svg' ? 0.7 : 1)
line = (reduced > 50 ? 1 : 1.8)
frame(l, r, b, t) = sprintf("set lmargin at screen %g; set rmargin at screen %g; set bmargin at screen %g; set tmargin at screen %g", l, r, b, t)

set multiplot title title font ",16"
set grid lc rgb "#d4d4d4"
set border lw 1.2
set tics nomirror
set key noautotitle
unset colorbox
set xrange [first - 0.5 : last + 0.5]
set xtics place_tic, place_step format "%g"
set xlabel "place in the series"

# The panels of values: the reduced coloured by place, the warned ringed,
# the refused crossed at the bottom.
panels = (shifted > 0 ? 4 : 3)
width = (panels == 4 ? 0.185 : 0.25)
gap = (panels == 4 ? 0.065 : 0.085)
left(n) = 0.055 + (n - 1) * (width + gap)
set datafile separator "\t"
refused_mark = "with points pt 2 ps 1.6 lw 2 lc rgb '#d62728'"
# The reduced: in the colour of their line below (named), or of their place.
dots(n) = named ? sprintf("1:%d:(rgb[int($11)]) with points pt 7 ps dot lc rgb variable", n) \
                 : sprintf("1:%d:1 with points pt 7 ps dot lc palette", n)
dots_4 = dots(4); dots_5 = dots(5); dots_6 = dots(6); dots_7 = dots(7)
warned_mark = "with points pt 6 ps 2.2 lw 1.5 lc rgb '#ff7f0e'"

eval frame(left(1), left(1) + width, 0.62, 0.90)
set yrange [e0_lo:e0_hi]
set title "Edge energy E₀" font ",13"
set ylabel "E₀ (eV)"
set key horizontal at screen 0.5, 0.955 center center font ",11" samplen 1
plot table skip 1 using @dots_4, \
     table skip 1 using 1:(strcol(3) eq 'warned' ? $4 : NaN) @warned_mark title (warned > 0 ? "warned" : ""), \
     table skip 1 using 1:(strcol(3) eq 'refused' ? e0_lo + 0.04 * (e0_hi - e0_lo) : NaN) @refused_mark title (refused > 0 ? "refused" : "")
set key noautotitle

eval frame(left(2), left(2) + width, 0.62, 0.90)
set yrange [jump_lo:jump_hi]
set title "Edge jump"
set ylabel "jump"
set format y "%.4g"
plot table skip 1 using @dots_5, \
     table skip 1 using 1:(strcol(3) eq 'warned' ? $5 : NaN) @warned_mark, \
     table skip 1 using 1:(strcol(3) eq 'refused' ? jump_lo + 0.04 * (jump_hi - jump_lo) : NaN) @refused_mark

eval frame(left(3), left(3) + width, 0.62, 0.90)
set title "Noise (average r.m.s.)"
set ylabel "noise"
if (with_noise > 0) {
  set yrange [noise_lo:noise_hi]
  plot table skip 1 using @dots_6, \
       table skip 1 using 1:(strcol(3) eq 'warned' ? $6 : NaN) @warned_mark, \
       table skip 1 using 1:(strcol(3) eq 'refused' ? noise_lo + 0.04 * (noise_hi - noise_lo) : NaN) @refused_mark
} else {
  set yrange [0:1]
  unset ytics
  set label 1 "no spectrum gives a noise level" at graph 0.5, 0.5 center
  plot table skip 1 using 1:(strcol(3) eq 'refused' ? 0.04 : NaN) @refused_mark
  unset label 1
  set ytics
}

if (shifted > 0) {
  eval frame(left(4), left(4) + width, 0.62, 0.90)
  set yrange [shift_lo:shift_hi]
  set title "Shift onto the reference (--align)"
  set ylabel "shift (eV)"
  plot table skip 1 using @dots_7, \
       table skip 1 using 1:(strcol(3) eq 'refused' ? shift_lo + 0.04 * (shift_hi - shift_lo) : NaN) @refused_mark
}
set datafile separator whitespace

# The overlays: each reduced spectrum in its colour.
set format y "% h"
set autoscale y
set xtics autofreq
colour(j) = named ? word(colours, j) : "black"
eval frame(0.055, 0.305, 0.08, 0.50)
set title "Normalised absorption around E₀"
set xlabel "E − E₀ (eV)"
set ylabel "(μ − pre-edge line) / jump"
set xrange [-30:80]
if (named) {
  plot for [j = 1:reduced] gabs[j] using ($1 - e0[j]):($5 / jump[j]) with lines lw line lc rgb colour(j)
} else {
  plot for [j = 1:reduced] gabs[j] using ($1 - e0[j]):($5 / jump[j]):(place[j]) with lines lw line lc palette
}

eval frame(0.365, 0.615, 0.08, 0.50)
set title "χ(k)·k²"
set xlabel "k (Å⁻¹)"
set ylabel "χ(k)·k² (Å⁻²)"
set xrange [0:*]
if (named) {
  plot for [j = 1:reduced] gexa[j] using 1:($2 * $1 * $1) with lines lw line lc rgb colour(j)
} else {
  plot for [j = 1:reduced] gexa[j] using 1:($2 * $1 * $1):(place[j]) with lines lw line lc palette
}

eval frame(0.675, 0.86, 0.08, 0.50)
set title sprintf("|FT| of χ(k)·%s, not phase-corrected", kw)
set xlabel "R (Å)"
set ylabel "|FT| (Å⁻".sup(W + 1).")"
set xrange [0:6]
set yrange [0:*]
if (named) {
  set key vertical at screen 0.875, 0.50 top left font ",10" samplen 2 spacing 1.1 noautotitle
  plot for [j = 1:reduced] gfou[j] using 1:2 with lines lw line lc rgb colour(j) title sprintf("%d %s", place[j], name[j])
} else {
  set colorbox user origin screen 0.885, 0.08 size screen 0.018, 0.42
  set cblabel "place in the series" offset 1.5, 0
  set cbtics place_tic, place_step format "%g"
  plot for [j = 1:reduced] gfou[j] using 1:2:(place[j]) with lines lw line lc palette
}

unset multiplot
