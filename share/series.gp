# One picture of a series of reduced spectra: E0, jump and noise against the
# place in the series, and every |FT| overlaid, coloured by that place.
# Every input comes as a string variable given with gnuplot -e:
#   table   tab-separated file: a header line "index file e0_eV jump noise gfou",
#           then one row per reduced spectrum (index = place in the series,
#           1, 2, ..., with gaps where files were refused; noise may be empty;
#           gfou = path of the spectrum's .gfou file)
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

# Reads the table: the place and the .gfou path of every row, and how many
# rows give a noise level.
set datafile separator "\t"
stats table skip 1 using 1 nooutput
rows = STATS_records
if (rows < 1) { print "series.gp: no reduced spectrum in ".table; exit status 2 }
first = STATS_min
last = STATS_max
array place[rows]
array gfou[rows]
with_noise = 0
stats table skip 1 using (place[int($0) + 1] = $1, gfou[int($0) + 1] = strcol(6), \
                          with_noise = with_noise + (strlen(strcol(5)) > 0), 0) nooutput

# Value ranges with a margin; when every value is the same, a range of
# `flat` around it.
pad(lo, hi, flat) = hi > lo ? 0.08 * (hi - lo) : flat
padded(lo, hi, flat) = sprintf("set yrange [%.10g:%.10g]", lo - pad(lo, hi, flat), hi + pad(lo, hi, flat))
relative(v) = (v != 0 ? 0.1 * abs(v) : 1)
stats table skip 1 using 3 nooutput
e0_range = padded(STATS_min, STATS_max, 1)
stats table skip 1 using 4 nooutput
jump_range = padded(STATS_min, STATS_max, relative(STATS_min))
if (with_noise > 0) {
  stats table skip 1 using 5 nooutput
  noise_range = padded(STATS_min, STATS_max, relative(STATS_min))
}
set datafile separator whitespace

# The weight exponent, from the first header line of the first .gfou file
# ("# k interval= ... Weight k^WH WH= w": w is its 13th word).
set datafile commentschars ""
stats gfou[1] every ::0::0 using 13 nooutput
W = STATS_max
set datafile commentschars "#"
sup(n) = n == 1 ? "¹" : n == 2 ? "²" : n == 3 ? "³" : n == 4 ? "⁴" : n == 5 ? "⁵" : "^".gprintf("%g", n)
kw = (W == 1 ? "k" : "k".sup(W))

# The place in the series sets the colour, in every panel alike.
set palette defined (0 "#3b4cc0", 0.35 "#1b9e77", 0.65 "#e6a100", 1 "#b2182b")
set cbrange [first - 0.5 : last + 0.5]
tic_step(w) = (p = 10 ** floor(log10(w / 5)), f = w / 5 / p, (f < 1.5 ? 1 : f < 3.5 ? 2 : f < 7.5 ? 5 : 10) * p)
place_step = (last - first < 5 ? 1 : tic_step(last - first))
place_tic = place_step * ceil(first / place_step)
dot = (rows > 100 ? 0.5 : rows > 20 ? 0.8 : 1.3) * (term eq 'svg' ? 0.7 : 1)
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

eval frame(0.08, 0.32, 0.62, 0.91)
eval e0_range
set title "Edge energy E₀" font ",13"
set ylabel "E₀ (eV)"
set datafile separator "\t"
plot table skip 1 using 1:3:1 with points pt 7 ps dot lc palette
set datafile separator whitespace

eval frame(0.41, 0.65, 0.62, 0.91)
eval jump_range
set title "Edge jump"
set ylabel "jump"
set datafile separator "\t"
plot table skip 1 using 1:4:1 with points pt 7 ps dot lc palette

eval frame(0.74, 0.98, 0.62, 0.91)
set title "Noise (average r.m.s.)"
set ylabel "noise"
if (with_noise > 0) {
  eval noise_range
  plot table skip 1 using 1:5:1 with points pt 7 ps dot lc palette
} else {
  set yrange [0:1]
  unset ytics
  set label 1 "no run gives a noise level" at graph 0.5, 0.5 center
  plot 1/0
  unset label 1
  set ytics
}
set datafile separator whitespace

eval frame(0.08, 0.86, 0.08, 0.50)
set title sprintf("|FT| of χ(k)·%s of every spectrum (%d), not phase-corrected", kw, rows)
set xlabel "R (Å)"
set ylabel "|FT| (Å⁻".sup(W + 1).")"
set xrange [0:6]
set xtics autofreq
set autoscale y
set yrange [0:*]
set colorbox user origin screen 0.885, 0.08 size screen 0.018, 0.42
set cblabel "place in the series" offset 1.5, 0
set cbtics place_tic, place_step format "%g"
plot for [j = 1:rows] gfou[j] using 1:2:(place[j]) with lines lw (rows > 50 ? 1 : 1.8) lc palette

unset multiplot
