# Six panels of one reduction, drawn from its three gnuplot data files:
#   top:    normalised absorption near the edge with E0 and the white line,
#           the absorption around the edge with its pre-edge line and
#           background, the derivative around the edge;
#   bottom: chi(k)*k^w with the transform's k window, |FT| against R, the
#           whole scan.
# Every panel keeps to the range of the data; a legend stands inside its
# panel, in a band kept free of data.
# Every input comes as a string variable given with gnuplot -e (energies in eV):
#   base      path prefix of the result files: base.'.gabs', '.gexa', '.gfou'
#             (or each path given: gabs, gexa, gfou)
#   output    path of the picture      term      'png' or 'svg'
#   name      data file name (title)   e0, ewl   edge and white-line energies
#   warning   the reduction's warning, shown under the title ('' for none)
#   xanes     '1' when the data reach too little k for a transform worth
#             showing (XANES only): the |FT| panel says so, marks no peak
#   jump      edge jump                noise     average r.m.s. noise, or ''
#   kmin, kmax, dk, wh                 k window, taper width, weight exponent
#   pre_end   energy of the last point of the pre-edge line fit
#   fit_start energy of the first point of the background fit
# Example:
#   gnuplot -e "base='demo/cu_foil'; output='demo/cu_foil.png'; term='png';
#     name='cu_foil.dat'; e0='8981.10352'; ewl='8983.36914'; jump='2.50108';
#     noise='9.39845981E-04'; kmin='2.5'; kmax='16.15548'; dk='0.5'; wh='2.0';
#     pre_end='8938.29004'; fit_start='9011.32520'" panels.gp

set encoding utf8
if (term eq 'svg') {
  set terminal svg size 1650,1250 dynamic font "DejaVu Sans,12" fontscale 1.3 background "white" noenhanced
} else {
  if (term ne 'png') { print "panels.gp: term must be 'png' or 'svg', not '".term."'"; exit status 2 }
  set terminal pngcairo size 1650,1250 font "DejaVu Sans,12" noenhanced
}
set output output
# Marks of the same size on both terminals.
mark = (term eq 'svg' ? 0.8 : 1.2)

if (!exists("warning")) warning = ''
if (!exists("xanes")) xanes = ''
if (!exists("gabs")) gabs = base.'.gabs'
if (!exists("gexa")) gexa = base.'.gexa'
if (!exists("gfou")) gfou = base.'.gfou'
E0 = e0 + 0.0
EWL = ewl + 0.0
J = jump + 0.0
Kmin = kmin + 0.0
Kmax = kmax + 0.0
Dk = dk + 0.0
W = wh + 0.0
PreEnd = pre_end + 0.0
FitStart = fit_start + 0.0

# Superscript of a small integer exponent, for units and the k weight.
sup(n) = n == 1 ? "¹" : n == 2 ? "²" : n == 3 ? "³" : n == 4 ? "⁴" : "^".gprintf("%g", n)
kw = (W == 1 ? "k" : "k".sup(W))
chi_unit = "Å⁻".sup(W)
ft_unit = "Å⁻".sup(W + 1)
# The transform's window: 0 at and outside [kmin, kmax], quarter-sine tapers
# of width dk at both ends (the falling one where they overlap), 1 between.
win(k) = (k <= Kmin || k >= Kmax) ? 0 \
       : (k > Kmax - Dk) ? sin(pi / 2 * (Kmax - k) / Dk) \
       : (k < Kmin + Dk) ? sin(pi / 2 * (k - Kmin) / Dk) : 1

c_data = "#1f4e9c"
c_pre = "#e67e00"
c_bck = "#d62728"
c_win = "#2ca02c"
c_mark = "#555555"
c_warn = "#b34700"

# Places the plot area of the next panel in screen coordinates.
frame(l, r, b, t) = sprintf("set lmargin at screen %g; set rmargin at screen %g; set bmargin at screen %g; set tmargin at screen %g", l, r, b, t)
# A y range over [lo, hi] with a band above the data, free for labels.
span(lo, hi) = hi > lo ? hi - lo : 1
headroom(lo, hi) = sprintf("set yrange [%.10g:%.10g]", lo - 0.04 * span(lo, hi), hi + 0.3 * span(lo, hi))
# A tic step giving about five tics over the width w.
tic_step(w) = (p = 10 ** floor(log10(w / 5)), f = w / 5 / p, (f < 1.5 ? 1 : f < 3.5 ? 2 : f < 7.5 ? 5 : 10) * p)
mark_e0 = "set arrow 1 from E0, graph 0 to E0, graph 1 nohead dt 2 lw 1.5 lc rgb c_mark front"

# Ranges and marks taken from the data before drawing.
best = 1e30
wl_norm = NaN
stats gabs using (d = abs($1 - EWL), d < best ? (best = d, wl_norm = $5 / J) : 0) nooutput
# The background at the first point of its fit, to mark where it starts.
bck_start = NaN
stats gabs using ($1 >= FitStart && bck_start != bck_start ? bck_start = $4 : 0) nooutput
stats gabs using 1 nooutput
e_first = STATS_min
e_last = STATS_max
e_step = tic_step(e_last - e_first)
max(a, b) = a > b ? a : b
min(a, b) = a < b ? a : b
# Near the edge: 50 eV below to 150 eV above for the normalised panel,
# 100 below to 300 above for the absorption, within the data.
norm_from = max(E0 - 50, e_first); norm_to = min(E0 + 150, e_last)
abs_from = max(E0 - 100, e_first); abs_to = min(E0 + 300, e_last)
der_from = max(E0 - 30, e_first); der_to = min(E0 + 30, e_last)
stats [norm_from : norm_to] gabs using 1:($5 / J) nooutput
norm_lo = STATS_min_y
norm_hi = STATS_max_y
stats [abs_from : abs_to] gabs using 1:2 nooutput
abs_lo = STATS_min_y
abs_hi = STATS_max_y
stats [der_from : der_to] gabs using 1:3 nooutput
der_lo = STATS_min_y
der_hi = STATS_max_y
stats gexa using 1:($2 * $1 ** W) nooutput
chi_lo = STATS_min_y
chi_hi = STATS_max_y
k_last = STATS_max_x
stats [0:6] gfou using 1:2 nooutput
ft_hi = STATS_max_y > 0 ? STATS_max_y : 1
stats [1:6] gfou using 1:2 nooutput
peak_r = STATS_pos_max_y
peak_ft = STATS_max_y

heading = sprintf("%s      E₀ = %.1f eV      jump = %.3f", name, E0, J)
if (strlen(noise) > 0) { heading = heading.sprintf("      noise (average r.m.s.) = %.2g", noise + 0.0) }

set multiplot title heading font ",16"
if (strlen(warning) > 0) {
  set label 90 "warning: ".warning at screen 0.5, 0.935 center font ",12" textcolor rgb c_warn
}
set grid lc rgb "#d4d4d4"
set border lw 1.2
set tics nomirror
set key noautotitle

# --- normalised absorption near the edge
eval frame(0.055, 0.315, 0.58, 0.88)
eval headroom(norm_lo, norm_hi)
set title "Normalised absorption" font ",13"
set xlabel "E (eV)"
set ylabel "(μ − pre-edge line) / jump"
set xrange [norm_from : norm_to]
eval mark_e0
set arrow 2 from graph 0, first 1 to graph 1, first 1 nohead dt 3 lc rgb c_mark back
set arrow 3 from EWL, graph 0 to EWL, graph 1 nohead dt 3 lw 1.5 lc rgb c_bck front
set label 1 sprintf("E₀ %.1f eV", E0) at EWL, graph 0.93 left offset 0.5, 0 textcolor rgb c_mark
set label 2 sprintf("white line %.1f eV", EWL) at EWL, graph 0.85 left offset 0.5, 0 textcolor rgb c_bck
set label 3 "" at EWL, wl_norm point pt 7 ps mark lc rgb c_bck front
plot gabs using 1:($5 / J) with lines lw 2 lc rgb c_data
unset label 1
unset label 2
unset label 3
unset label 90
unset arrow

# --- absorption around the edge: the pre-edge line solid where fitted and
# dashed on to E0, the background drawn over the data as a thin line
# through which they stay visible.
eval frame(0.385, 0.645, 0.58, 0.88)
eval headroom(abs_lo, abs_hi)
set title "Absorption around the edge, with the fitted pre-edge line and background"
set ylabel "absorption μ"
set xrange [abs_from : abs_to]
eval mark_e0
set key bottom right inside reverse Left samplen 2.5 font ",11" spacing 1.1
plot gabs every ::1 using 1:($1 <= PreEnd ? $2 - $5 : 1/0) with lines lw 2 lc rgb c_pre \
       title sprintf("pre-edge line, fitted up to %.0f eV", PreEnd), \
     gabs using 1:($1 >= PreEnd && $1 <= E0 ? $2 - $5 : 1/0) with lines lw 1.5 dt 2 lc rgb c_pre, \
     gabs using 1:2 with lines lw 1.3 lc rgb c_data title "measured", \
     gabs using 1:($1 >= FitStart ? $4 : 1/0) with lines lw 1.6 lc rgb c_bck \
       title sprintf("background, fitted from %.0f eV", FitStart), \
     '+' using (FitStart):(bck_start) every ::0::0 with points pt 7 ps mark lc rgb c_bck
set key noautotitle
unset key
unset arrow

# --- derivative around the edge
eval frame(0.725, 0.985, 0.58, 0.88)
eval headroom(der_lo, der_hi)
set title "Derivative around the edge"
set ylabel "dμ/dE less pre-edge slope (keV⁻¹)"
set xrange [der_from : der_to]
eval mark_e0
set label 1 sprintf("E₀ %.1f eV", E0) at E0, graph 0.93 right offset -0.5, 0 textcolor rgb c_mark
plot gabs using 1:3 with lines lw 2 lc rgb c_data
unset label 1
unset arrow

# --- chi(k) k^w with the k window
eval frame(0.055, 0.325, 0.09, 0.41)
set title sprintf("EXAFS χ(k)·%s with the transform's k window", kw)
set xlabel "k (Å⁻¹)"
set ylabel sprintf("χ(k)·%s (%s)", kw, chi_unit)
set xrange [0 : k_last]
eval headroom(chi_lo, chi_hi)
set y2range [-0.04 : 1.30]
set y2tics 0, 0.5, 1 nomirror textcolor rgb c_win
set y2label "window" textcolor rgb c_win offset -1, 0
set samples 2000
set key inside right top Right noreverse samplen 2 font ",11" spacing 1.1
plot win(x) axes x1y2 with filledcurves x1 fs transparent solid 0.12 noborder lc rgb c_win, \
     win(x) axes x1y2 with lines lw 1.5 lc rgb c_win \
       title sprintf("window %.2f–%.2f Å⁻¹, tapers %.2f (right axis)", Kmin, Kmax, Dk), \
     gexa using 1:($2 * $1 ** W) with lines lw 1.5 lc rgb c_data title sprintf("χ(k)·%s", kw)
unset key
unset y2tics
unset y2label

# --- |FT| against R
eval frame(0.43, 0.70, 0.09, 0.41)
set title sprintf("|FT| of χ(k)·%s, not phase-corrected", kw)
set xlabel "R (Å)"
set ylabel sprintf("|FT| (%s)", ft_unit)
set xrange [0:6]
set yrange [0 : 1.12 * ft_hi]
if (strlen(xanes) > 0) {
  set label 1 sprintf("XANES only: the data reach %.2f Å⁻¹ above kmin,\ntoo little for a transform worth reading", k_last - Kmin) at graph 0.5, graph 0.85 center textcolor rgb c_warn
  plot gfou using 1:2 with lines lw 1.5 lc rgb "#b0b0b0"
} else {
  set label 1 sprintf("%.2f Å", peak_r) at peak_r, peak_ft left offset 1, 0 point pt 7 ps mark lc rgb c_bck
  plot gfou using 1:2 with lines lw 2 lc rgb c_data
}
unset label 1

# --- the whole scan
eval frame(0.775, 0.985, 0.09, 0.41)
set title "The whole scan"
set xlabel "E (eV)"
set ylabel "absorption μ"
set autoscale y
set xrange [e_first : e_last]
set xtics e_step
eval mark_e0
plot gabs every ::1 using 1:($1 <= PreEnd ? $2 - $5 : 1/0) with lines lw 2 lc rgb c_pre, \
     gabs using 1:2 with lines lw 1.2 lc rgb c_data, \
     gabs using 1:($1 >= FitStart ? $4 : 1/0) with lines lw 1.4 lc rgb c_bck
unset arrow

unset multiplot
