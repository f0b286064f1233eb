# Draws bench/results.png from the data file summarize.py writes: the 29-item export against
# the read floor, the all-items export against read + copy floor, and the ratios.
# Usage: gnuplot -e "data='PLOT_DAT'; out='bench/results.png'" bench/results.gp
set terminal pngcairo size 1650,720 font "DejaVu Sans,11" linewidth 1.5
set output out

# Columns of the data file: for SQLite from 2, for PostgreSQL from 10, in this order.
all = 0; without_copies = 1; per_statement = 2; read_floor = 3; read_copy_floor = 4
ratio_all = 5; ratio_without_copies = 6; ratio_per_statement = 7
sqlite(column) = 2 + column
postgres(column) = 10 + column
sqlite_colour = "#1f77b4"
postgres_colour = "#d62728"

set multiplot layout 1,3 title "Brindle unattended export against host size {/*0.85 (median of the runs; set-based reader unless named)}"
set xlabel "subscribers on the host"
set logscale xy
# x: tics at the measured sizes (xtic(1) below), not at whole decades.
set format y "%g"
# Labels at 1, 2, 3 and 5 of every decade, so that data within one decade still has some.
do for [k = -3:4] {
    do for [m in "1 2 3 5"] {
        set ytics add (sprintf("%g", m * 10.0**k) m * 10.0**k)
    }
}
set grid xtics ytics lc rgb "#bbbbbb"
set key below vertical Left reverse spacing 1.2
# One bottom margin for all three, so that their plot areas line up whatever their keys hold.
set bmargin 11
set datafile missing NaN
# Fit the axes to the data, not to whole decades, with a margin around it.
set autoscale fix
set offsets graph 0.05, graph 0.05, graph 0.1, graph 0.05

set title "29 items (no voice-name copies)\nagainst the read floor"
set ylabel "wall time (s)"
plot data using 1:sqlite(without_copies):xtic(1) with linespoints lc rgb sqlite_colour pt 7 title "SQLite export", \
     data using 1:sqlite(read_floor) with linespoints lc rgb sqlite_colour pt 6 dt 2 title "SQLite read floor", \
     data using 1:postgres(without_copies) with linespoints lc rgb postgres_colour pt 7 title "PostgreSQL export", \
     data using 1:postgres(read_floor) with linespoints lc rgb postgres_colour pt 6 dt 2 title "PostgreSQL read floor"

set title "All 31 items\nagainst read + copy floor"
plot data using 1:sqlite(all):xtic(1) with linespoints lc rgb sqlite_colour pt 5 title "SQLite export", \
     data using 1:sqlite(read_copy_floor) with linespoints lc rgb sqlite_colour pt 4 dt 2 title "SQLite read + copy floor", \
     data using 1:postgres(all) with linespoints lc rgb postgres_colour pt 5 title "PostgreSQL export", \
     data using 1:postgres(read_copy_floor) with linespoints lc rgb postgres_colour pt 4 dt 2 title "PostgreSQL read + copy floor"

set title "Ratio: export wall / its floor\n(per-statement: all items over the read floor)"
set ylabel "ratio"
plot data using 1:sqlite(ratio_without_copies):xtic(1) with linespoints lc rgb sqlite_colour pt 7 title "SQLite, 29 items / read", \
     data using 1:sqlite(ratio_all) with linespoints lc rgb sqlite_colour pt 5 title "SQLite, all / read + copy", \
     data using 1:sqlite(ratio_per_statement) with linespoints lc rgb sqlite_colour pt 9 dt 3 title "SQLite, per-statement / read", \
     data using 1:postgres(ratio_without_copies) with linespoints lc rgb postgres_colour pt 7 title "PostgreSQL, 29 items / read", \
     data using 1:postgres(ratio_all) with linespoints lc rgb postgres_colour pt 5 title "PostgreSQL, all / read + copy", \
     data using 1:postgres(ratio_per_statement) with linespoints lc rgb postgres_colour pt 9 dt 3 title "PostgreSQL, per-statement / read"

unset multiplot
