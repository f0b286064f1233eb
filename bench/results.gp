# Draws bench/results.png from the data file summarize.py writes.
# Usage: gnuplot -e "data='PLOT_DAT'; out='bench/results.png'" bench/results.gp
set terminal pngcairo size 1000,650 font "DejaVu Sans,11" linewidth 1.5
set output out

set title "Brindle unattended export of all items: wall time against host size\n{/*0.85 median of the runs; dashed: the database's own client reading the same tables}"
set xlabel "subscribers on the host"
set ylabel "wall time (s)"
set logscale xy
set format x "%.0f"
set format y "%g"
set grid xtics ytics lc rgb "#bbbbbb"
set key below vertical maxrows 3 Left reverse spacing 1.3 width 3 height 1
set datafile missing NaN
# Fit the axes to the data, not to whole decades, with a margin around it.
set autoscale fix
set offsets graph 0.05, graph 0.05, graph 0.05, graph 0.05

sqlite = "#1f77b4"
postgres = "#d62728"

plot data using 1:2 with linespoints lc rgb sqlite pt 7 title "SQLite, set-based", \
     data using 1:3 with linespoints lc rgb sqlite pt 5 lw 0.8 title "SQLite, per-statement", \
     data using 1:6 with linespoints lc rgb sqlite pt 6 dt 2 title "SQLite floor (sqlite3)", \
     data using 1:4 with linespoints lc rgb postgres pt 7 title "PostgreSQL/ODBC, set-based", \
     data using 1:5 with linespoints lc rgb postgres pt 5 lw 0.8 title "PostgreSQL/ODBC, per-statement", \
     data using 1:7 with linespoints lc rgb postgres pt 6 dt 2 title "PostgreSQL floor (psql)"
