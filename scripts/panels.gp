# Four panels of one reduction, from its three gnuplot data files:
#   absorption with the fitted background and the pre-edge line, the
#   derivative, chi(k)*k^2 against k, and |FT| against R.
# Call: gnuplot -e "base='cu_foil'; name='cu_foil.dat'; edge='8981.1'; jump='2.501'" panels.gp
# It reads base.gabs, base.gexa and base.gfou and writes base.png.

set terminal pngcairo size 1400,1000 font ",11" noenhanced
set output base.'.png'
set multiplot layout 2,2 title sprintf("%s    EDGE = %s eV    JUMP = %s", name, edge, jump) font ",14"
set grid
set key top left

gabs = base.'.gabs'
set title "Absorption"
set xlabel "E (eV)"
set ylabel "absorption"
plot gabs using 1:2 with lines lw 1.5 lc rgb "#1f4e9c" title "measured", \
     gabs using 1:($4 != 0 ? $4 : 1/0) with lines lw 1.5 dt 2 lc rgb "#c0392b" title "background", \
     gabs using 1:($2 - $5) with lines lw 1 lc rgb "#27ae60" dt 3 title "pre-edge line"

set title "Derivative"
set ylabel "d(absorption)/dE  (per keV)"
plot gabs using 1:3 with lines lw 1 lc rgb "#1f4e9c" notitle

set title "EXAFS"
set xlabel "k (1/Angstrom)"
set ylabel "chi(k) * k^2"
plot base.'.gexa' using 1:($2*$1*$1) with lines lw 1 lc rgb "#1f4e9c" notitle

set title "Fourier transform"
set xlabel "R (Angstrom)"
set ylabel "|FT|"
plot base.'.gfou' using 1:2 with lines lw 1.5 lc rgb "#1f4e9c" notitle

unset multiplot
