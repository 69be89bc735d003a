#!/usr/bin/perl
# get_replica_info.pl - the epoch matrices of one VOB family, for Quorvane.
#
# Usage:
#   ccperl get_replica_info.pl VOB-TAG
#   ccperl get_replica_info.pl VOB-TAG REPLICA
#   ccperl get_replica_info.pl -report VOB-TAG REPLICA
#   ccperl get_replica_info.pl -local VOB-TAG
#   ccperl get_replica_info.pl -here REPLICA -replicas NAME,... [-local] VOB-TAG
#
# With the VOB tag alone it writes two files into the current directory:
#   _results.txt        the actual matrix: each replica's own row. The row of
#                       this site's replica comes from this site's own table
#                       (its own row there is exact); every other row is asked
#                       of that replica's host (multitool lsepoch -actual);
#   _results_local.txt  the local matrix: this site's epoch table
#                       (multitool lsepoch -invob).
# One line per replica, in the order cleartool lsreplica -short lists them:
# the replica name, then one value per replica in that same order, separated
# by commas, each line ended by CR LF, so both files are square. A value that
# cannot be determined is written as "?": a host that cannot be reached, or
# one that has not answered within the time limit. Every layout in which
# ClearCase prints lsepoch's rows is read (see parse_rows); an entry that
# cannot be read, or an answer without the row asked for, is named on stderr
# and gives "?". A row that multitool
# printed is kept even when it also warned and ended with a failure status
# (its missing-oplog warnings). Each file is written under a temporary name
# and then renamed, so a reader never sees half a file. Once the replicas are
# listed both files are always written; exit status 0 then. When the
# replicas cannot be listed no file is written and the exit status is 1.
# Whatever went wrong is said on stderr, after the lines that cleartool and
# multitool printed there, one host after the other in the listing order.
#
# Hosts are asked by a pool: at most GET_REPLICA_INFO_JOBS hosts at once
# (default 32; on Windows at most 60, as Perl there keeps no more than 64
# programs started at once); the next one is asked as soon as any one has
# answered, with no wait for the others. The run has a time limit of
# GET_REPLICA_INFO_TIMEOUT seconds (default 120) from its start: a host
# still silent then is ended and its row is "?", and a host not asked by
# then is not asked at all. So the script ends about one time limit after
# it started, however many hosts hang; each host has at most that long.
#
# With -local no host is asked: both files are written as above, but the
# actual matrix holds only this site's own row (the others are "?"). That is
# what a survey of the whole region reads when it must not touch the network.
#
# With -here and -replicas the caller has listed the replicas already (in
# lsreplica's order, separated by commas) and named this site's: the script
# does not list them again and goes straight to the tables and the hosts.
# A survey of the region, which has both to hand, saves two programs a VOB.
#
# With a replica name as well (the call the program makes when a replica is
# chosen) the script does nothing and ends at once with status 0: nothing
# reads what that call would print, and it must not wait on the network.
# An administrator who wants the short report for one replica asks for it
# with -report: this site's estimate of the replica next to its actual row,
# which entries differ, and the commands that repair it (one remote call,
# within the same time limit). Its exit status is 0 when both rows were read.
#
# While hosts are asked, _progress.txt in the current directory says which
# of them are still waited for, so that a window can name them: a line
# "limit", TAB, the time limit in seconds, then per host still running a
# line "waiting", TAB, the replica, TAB, when it was asked (seconds since
# 1970, with a fraction where Time::HiRes is there); lines end in LF. It is
# replaced whole (written under a temporary name, then renamed) when that
# set changes, at most a few times a second, and removed once no host is
# waited for; nothing is left of it when the script ends, whatever ended it.
# A reader that cannot read it, or finds it gone, only has less to show.
#
# Where it runs: Perl 5.8 or later with its core modules only, on UNIX and on
# Windows (ccperl as ClearCase installs it; ratlperl or perl elsewhere).
# cleartool and multitool are found on PATH and started without a shell, the
# arguments handed over as they are (a tag such as \proj or a name with
# regular-expression characters reaches them untouched). No pipes: each
# program writes into its own temporary file, which is read when it has
# ended, so a program's output can never block it or this script. On UNIX a
# program is started with fork and exec; on Windows with system(1, ...),
# Perl's asynchronous spawn, in its PROGRAM LIST form so that no command
# shell is ever used, while STDOUT and STDERR point at its files. Both are
# watched with waitpid and WNOHANG and ended with kill 9 (TerminateProcess on
# Windows) at the time limit.

use strict;
use warnings;

my $ME = 'get_replica_info.pl';
my $WINDOWS = $^O eq 'MSWin32';
my $NULL_DEVICE = $WINDOWS ? 'nul' : '/dev/null';

# Loading POSIX costs more processor time than the rest of the script's
# own work, paid once per VOB by a survey of the region. On Linux WNOHANG is
# 1; elsewhere (Solaris has 0x40) it is asked of POSIX.
my $WNOHANG = $^O eq 'linux' ? 1 : eval { require POSIX; POSIX::WNOHANG() };
$WNOHANG = 1 unless defined $WNOHANG;

# Ends a started child whose program could not be started, without the
# parent's END blocks (only reached when a start failed).
sub child_exit {
    my ($status) = @_;
    require POSIX;
    POSIX::_exit($status);
}

# Time::HiRes has been core since 5.8.0; whole seconds still work without it.
my ($NOW, $NAP);
if (eval { require Time::HiRes; 1 }) {
    $NOW = sub { Time::HiRes::time() };
    $NAP = sub { Time::HiRes::sleep(0.01) };
} else {
    $NOW = sub { time() };
    $NAP = sub { sleep(1) };
}

# A program's exit status is only ours to read when nobody reaps it for us.
$SIG{CHLD} = 'DEFAULT' unless $WINDOWS;

my @CHILDREN;
my $TMPDIR;
my $SERIAL = 0;

my $PROGRESS = '_progress.txt';
my $PROGRESS_TMP = "$PROGRESS.$$.tmp";
my $PROGRESS_SHOWN;    # the hosts the file names, undef while there is none
my $PROGRESS_WRITTEN = 0;

sub end_children {
    for my $c (@CHILDREN) {
        stop($c);
    }
}

sub fail {
    end_children();
    print STDERR "$ME: @_\n";
    exit 1;
}

sub setting {
    my ($name, $default, $pattern) = @_;
    my $value = $ENV{$name};
    return $default unless defined $value && length $value;
    return $value + 0 if $value =~ $pattern && $value > 0;
    print STDERR "$ME: $name=\"$value\" is not a positive number; $default is used.\n";
    return $default;
}

my $TIMEOUT = setting('GET_REPLICA_INFO_TIMEOUT', 120, qr/^\d+(?:\.\d+)?$/);
my $JOBS = setting('GET_REPLICA_INFO_JOBS', 32, qr/^\d+$/);
# Windows Perl keeps at most 64 programs started by system(1, ...) at once,
# and this site's own calls may still run beside the hosts.
if ($WINDOWS && $JOBS > 60) {
    print STDERR "$ME: at most 60 hosts are asked at once on Windows.\n";
    $JOBS = 60;
}

# The folder temporary files go to, where the environment names one that
# can be written; Perl on Windows takes "/" between path parts as well.
sub temp_base {
    for my $dir (@ENV{qw(TMPDIR TEMP TMP)}, ($WINDOWS ? ('C:/Temp') : ('/tmp'))) {
        return $dir if defined $dir && length $dir && -d $dir && -w $dir;
    }
    return '.';
}

# A directory of our own (mkdir refuses a name that exists, link or not);
# File::Temp would cost more to load than the whole choice of a name.
sub tmpdir {
    return $TMPDIR if defined $TMPDIR;
    my $base = temp_base();
    for my $try (1 .. 20) {
        my $dir = "$base/get_replica_info_$$" . '_' . time() . "_$try";
        if (mkdir($dir, 0700)) {
            $TMPDIR = $dir;
            return $dir;
        }
    }
    fail("cannot make a temporary directory in $base: $!");
}

END {
    {
        local ($!, $?);
        progress_done();
    }
    if (defined $TMPDIR) {
        my $status = $?;
        for my $c (@CHILDREN) {
            unlink($c->{out}, $c->{err});
        }
        rmdir $TMPDIR;
        $? = $status;
    }
}

sub spawn_unix {
    my ($c) = @_;
    my @cmd = @{ $c->{cmd} };
    my $pid = fork();
    return $pid unless defined $pid && $pid == 0;
    # The child: its own files, no input, then the program itself.
    open(STDIN, '<', $NULL_DEVICE);
    open(STDOUT, '>', $c->{out}) or child_exit(126);
    open(STDERR, '>', $c->{err}) or child_exit(126);
    exec { $cmd[0] } @cmd or print STDERR "$ME: cannot start $cmd[0]: $!\n";
    child_exit(127);
}

# The spawned program inherits the standard handles as they are at that
# moment, so they point at its files while it starts, and back afterwards.
sub spawn_windows {
    my ($c) = @_;
    my @cmd = @{ $c->{cmd} };
    local (*SAVEIN, *SAVEOUT, *SAVEERR);
    # A script started without any input has no STDIN to keep.
    my $input = open(SAVEIN, '<&STDIN');
    open(SAVEOUT, '>&STDOUT') or return undef;
    unless (open(SAVEERR, '>&STDERR')) {
        close(SAVEOUT);
        return undef;
    }
    my $pid;
    if (open(STDIN, '<', $NULL_DEVICE)
        && open(STDOUT, '>', $c->{out})
        && open(STDERR, '>', $c->{err})) {
        $pid = system { $cmd[0] } 1, @cmd;
    }
    my $error = $!;
    open(STDERR, '>&SAVEERR');
    open(STDOUT, '>&SAVEOUT');
    close(SAVEERR);
    close(SAVEOUT);
    if ($input) {
        open(STDIN, '<&SAVEIN');
        close(SAVEIN);
    }
    $! = $error;
    return (defined $pid && $pid > 0) ? $pid : undef;
}

# Starts a program; returns its record. A program that cannot be started
# is a record that has already ended with status -1.
sub start {
    my @cmd = @_;
    my $n = ++$SERIAL;
    my $dir = tmpdir();
    my $c = {
        cmd => \@cmd,
        out => "$dir/$n.out",
        err => "$dir/$n.err",
    };
    push @CHILDREN, $c;
    my $pid = $WINDOWS ? spawn_windows($c) : spawn_unix($c);
    if (defined $pid) {
        $c->{pid} = $pid;
    } else {
        $c->{ended} = 1;
        $c->{status} = -1;
        $c->{failure} = "cannot start $cmd[0]: $!";
    }
    return $c;
}

# Whether the program has ended, without waiting for it.
sub reap {
    my ($c) = @_;
    return 1 if $c->{ended};
    my $r = waitpid($c->{pid}, $WNOHANG);
    return 0 if $r == 0;
    $c->{ended} = 1;
    $c->{status} = $r == $c->{pid} ? $? : -1;
    return 1;
}

# Ends a program that is still running. A process that will not even die
# is left behind after a few seconds rather than waited for without end.
sub stop {
    my ($c) = @_;
    return if reap($c);
    kill(9, $c->{pid});
    $c->{killed} = 1;
    my $until = $NOW->() + 5;
    while (!reap($c) && $NOW->() < $until) {
        $NAP->();
    }
    $c->{ended} = 1;
}

# Waits until all the given programs have ended, or the deadline has come;
# then ends the rest.
sub await {
    my ($deadline, @set) = @_;
    while (grep { !reap($_) } @set) {
        if ($NOW->() >= $deadline) {
            stop($_) for @set;
            return;
        }
        $NAP->();
    }
}

sub slurp {
    my ($file) = @_;
    local $/;
    open(my $fh, '<', $file) or return '';
    binmode $fh;
    my $text = <$fh>;
    close $fh;
    return defined $text ? $text : '';
}

sub output_of {
    my ($c) = @_;
    $c->{stdout} = slurp($c->{out}) unless defined $c->{stdout};
    return $c->{stdout};
}

sub succeeded {
    my ($c) = @_;
    return $c->{ended} && !$c->{killed} && defined $c->{status} && $c->{status} == 0;
}

sub split_lines {
    my ($text) = @_;
    return split /\r\n|\n|\r/, $text;
}

# Passes on what a program said on stderr; then why it gave nothing, if so.
sub relay {
    my ($c, $why) = @_;
    for my $line (split_lines(slurp($c->{err}))) {
        print STDERR "$line\n" if length $line;
    }
    print STDERR "$ME: $c->{failure}\n" if $c->{failure};
    print STDERR "$ME: $why\n" if defined $why;
}

sub describe_end {
    my ($c, $what) = @_;
    return "$what had not answered when the time limit of $TIMEOUT s ran out, and was ended" if $c->{killed};
    return "$what could not be run" if $c->{failure};
    my $status = $c->{status};
    return "$what gave no epoch row" if defined $status && $status == 0;
    return "$what failed (status " . ($status >> 8) . ")" if defined $status && $status > 0 && ($status & 127) == 0;
    return "$what failed";
}

# Rows of lsepoch output: { row name => { origin name => number } }, in
# every layout ClearCase prints them:
# - a row is headed 'Oplog IDs for row "NAME" (@ HOST):' or, as lsepoch
#   -actual heads the rows it fetched, 'Actual oplog IDs for row ...';
#   leading blanks and "(@HOST)" without the blank are taken too;
# - its entries are "oid:OID=N (ORIGIN)" lines, indented or flush, with
#   any padding before the name, or "ORIGIN=N" as the documentation's
#   walk-through prints them; an entry marked "deleted" after the name
#   belongs to a deleted replica and is left out;
# - lines ending in CR LF, CR or LF; blank lines between entries;
# - "For VOB replica" headings, once or repeated, and any other line
#   (a warning, a message) end the row without being taken for an entry.
# Rows and columns of replicas this site does not list (deleted ones, or
# ones whose creation has not been imported here) are read like any other;
# the matrices leave them out. A line that starts like an entry but cannot
# be read is pushed onto @$bad and its value stays unknown. A killed
# program may have been cut in the middle of a line: only whole lines of
# its output count.
sub parse_rows {
    my ($c, $bad) = @_;
    my $text = output_of($c);
    $text =~ s/[^\r\n]*\z// if $c->{killed};
    my (%rows, $row);
    for my $line (split_lines($text)) {
        next unless $line =~ /\S/;
        if ($line =~ /^\s*(?:Actual o|O)plog IDs for row "(.*)" \(\@ ?.*\):\s*$/) {
            $row = $1;
            $rows{$row} ||= {};
        } elsif (!defined $row) {
            next;
        } elsif ($line =~ /^\s*oid:[^\s=]+=(\d+)\s*\((.*)\)(.*)$/) {
            my ($n, $origin, $after) = ($1, $2, $3);
            next if $after =~ /\bdeleted\b/i;
            if ($after =~ /\S/) {
                push @$bad, $line if $bad;
                next;
            }
            $rows{$row}{$origin} = $n;
        } elsif ($line =~ /^\s*([^\s=]+)=(\d+)\s*$/) {
            $rows{$row}{$1} = $2;
        } elsif ($line =~ /^\s*(?:oid:|[^\s=]+=)/) {
            push @$bad, $line if $bad;
        } else {
            $row = undef;
        }
    }
    return \%rows;
}

# Says which lines of a program's answer could not be read as epoch
# entries (a few of them; the rest are counted).
sub report_bad {
    my ($what, @bad) = @_;
    return unless @bad;
    my @shown = @bad > 3 ? @bad[0 .. 2] : @bad;
    print STDERR "$ME: $what printed a line that is not an epoch entry: \"$_\"; its value is \"?\".\n" for @shown;
    print STDERR "$ME: ... and " . (@bad - @shown) . " more such lines.\n" if @bad > @shown;
}

# Why a host's answer gave no row for its replica.
sub no_row_reason {
    my ($c, $name, $rows, $what) = @_;
    my @others = sort grep { $_ ne $name } keys %$rows;
    return "$what answered with rows for " . join(', ', map { "\"$_\"" } @others) . " but none for \"$name\""
        if @others && succeeded($c);
    return describe_end($c, $what);
}

sub replica_names {
    my ($tag, $list) = @_;
    unless (succeeded($list)) {
        relay($list, describe_end($list, 'cleartool lsreplica'));
        fail("cannot list the replicas of VOB \"$tag\".");
    }
    my @names;
    for my $line (split_lines(output_of($list))) {
        $line =~ s/^\s+//;
        $line =~ s/\s+$//;
        push @names, $line if length $line && $line !~ /^For VOB replica /;
    }
    fail("VOB \"$tag\" lists no replicas.") unless @names;
    return @names;
}

# This site's replica, or undef when describe does not say (then every
# replica's row is asked of its host, this one's too).
sub local_name {
    my ($tag, $desc, @names) = @_;
    my $name = succeeded($desc) ? output_of($desc) : '';
    $name =~ s/^\s+//;
    $name =~ s/\s+$//;
    return $name if grep { $_ eq $name } @names;
    relay($desc, "cannot tell this site's replica of \"$tag\"; its row is asked of its host too.");
    return undef;
}

# Names the hosts still running in _progress.txt when that set has changed,
# at most every quarter second (each write holds every name: a large family
# whose hosts answer one by one must not cost a write per answer). A write
# that fails (a reader holding the file on Windows) is tried again on the
# next turn; the run itself never depends on it.
sub progress {
    my (@running) = @_;
    my $shown = join("\n", map { $_->{name} } @running);
    return if defined $PROGRESS_SHOWN && $shown eq $PROGRESS_SHOWN;
    my $now = $NOW->();
    return if $PROGRESS_WRITTEN && $now - $PROGRESS_WRITTEN < 0.25;
    $PROGRESS_WRITTEN = $now;
    my $out;
    return unless open($out, '>', $PROGRESS_TMP);
    binmode $out;
    print $out "limit\t$TIMEOUT\n";
    printf $out "waiting\t%s\t%.3f\n", $_->{name}, $_->{asked} for @running;
    if (close($out) && rename($PROGRESS_TMP, $PROGRESS)) {
        $PROGRESS_SHOWN = $shown;
    } else {
        unlink $PROGRESS_TMP;
    }
}

# On Windows a file a reader holds open cannot be removed: the reader lets
# go within moments, so the removal is tried a few times.
sub progress_done {
    return unless $PROGRESS_WRITTEN;
    unlink $PROGRESS_TMP;
    for my $try (1 .. 10) {
        last if unlink($PROGRESS) || !-e $PROGRESS;
        $NAP->();
    }
    $PROGRESS_SHOWN = undef;
}

# Asks the hosts of the named replicas for their own rows, at most $JOBS at
# a time, until the deadline. Returns { name => record } of those asked.
sub ask_hosts {
    my ($tag, $deadline, @queue) = @_;
    my (%asked, @running);
    while (1) {
        @running = grep { !reap($_) } @running;
        while (@queue && @running < $JOBS && $NOW->() < $deadline) {
            my $name = shift @queue;
            $asked{$name} = start('multitool', 'lsepoch', '-actual', "$name\@$tag");
            $asked{$name}{name} = $name;
            $asked{$name}{asked} = $NOW->();
            push @running, $asked{$name} unless $asked{$name}{ended};
        }
        last unless @running || (@queue && $NOW->() < $deadline);
        if ($NOW->() >= $deadline) {
            stop($_) for @running;
            last;
        }
        progress(@running);
        $NAP->();
    }
    progress_done();
    return \%asked;
}

sub write_matrix {
    my ($file, $names, $rows) = @_;
    my $tmp = "$file.$$.tmp";
    open(my $out, '>', $tmp) or fail("cannot write $tmp: $!");
    binmode $out;
    for my $name (@$names) {
        my $row = $rows->{$name};
        my @values = map { $row && defined $row->{$_} ? $row->{$_} : '?' } @$names;
        print $out join(',', $name, @values), "\r\n";
    }
    unless (close $out) {
        my $error = $!;
        unlink $tmp;
        fail("cannot write $tmp: $error");
    }
    unless (rename $tmp, $file) {
        my $error = $!;
        unlink $tmp;
        fail("cannot replace $file: $error");
    }
}

sub matrices {
    my ($tag, $local_only, $known) = @_;
    my $deadline = $NOW->() + $TIMEOUT;
    # The three local calls run side by side; the local table keeps running
    # while the hosts are asked.
    my ($list, $desc);
    unless ($known) {
        $list = start('cleartool', 'lsreplica', '-short', '-invob', $tag);
        $desc = start('cleartool', 'describe', '-fmt', '%[replica_name]p', "vob:$tag");
    }
    my $table = start('multitool', 'lsepoch', '-invob', $tag);
    my (@names, $local);
    if ($known) {
        @names = @{ $known->{names} };
        $local = $known->{here};
    } else {
        await($deadline, $list, $desc);
        @names = replica_names($tag, $list);
        $local = local_name($tag, $desc, @names);
    }

    my @remote = $local_only ? () : grep { !defined $local || $_ ne $local } @names;
    my $asked = ask_hosts($tag, $deadline, @remote);
    await($deadline, $table);

    my @bad;
    my $local_rows = parse_rows($table, \@bad);
    relay($table, succeeded($table) ? undef
          : describe_end($table, 'multitool lsepoch -invob') . "; this site's table is \"?\" where it gave nothing.");
    report_bad('multitool lsepoch -invob', @bad);
    my %actual;
    $actual{$local} = $local_rows->{$local} if defined $local;
    for my $name (@remote) {
        my $c = $asked->{$name};
        unless ($c) {
            print STDERR "$ME: the host of \"$name\" was not asked: the time limit of $TIMEOUT s was reached first; its row is \"?\".\n";
            next;
        }
        my @bad_lines;
        my $rows = parse_rows($c, \@bad_lines);
        $actual{$name} = $rows->{$name};
        relay($c, $actual{$name} ? undef : no_row_reason($c, $name, $rows, "the host of \"$name\"") . "; its row is \"?\".");
        report_bad("the host of \"$name\"", @bad_lines);
    }
    write_matrix('_results.txt', \@names, \%actual);
    write_matrix('_results_local.txt', \@names, $local_rows);
    return 0;
}

sub replica_report {
    my ($tag, $replica) = @_;
    my $sel = "$replica\@$tag";
    my $deadline = $NOW->() + $TIMEOUT;
    my $desc = start('cleartool', 'describe', '-fmt', '%[replica_name]p', "vob:$tag");
    my $estimate_call = start('multitool', 'lsepoch', $sel);
    await($deadline, $desc, $estimate_call);
    my $here = succeeded($desc) ? output_of($desc) : '';
    $here =~ s/^\s+//;
    $here =~ s/\s+$//;
    my $estimate = parse_rows($estimate_call)->{$replica};
    unless ($estimate) {
        relay($estimate_call);
        fail("cannot read this site's epoch row for \"$sel\".");
    }
    # This site's own row is its actual state: no host to ask.
    my $actual = $estimate;
    if ($replica ne $here) {
        my $actual_call = start('multitool', 'lsepoch', '-actual', $sel);
        await($deadline, $actual_call);
        $actual = parse_rows($actual_call)->{$replica};
        relay($actual_call, $actual ? undef : describe_end($actual_call, "the host of \"$replica\"") . '.');
    }

    print "Replica \"$replica\" of VOB \"$tag\"\n";
    printf "%-24s %14s %14s\n", 'origin', 'local estimate', 'actual';
    my (@ahead, @behind);
    for my $origin (sort keys %$estimate) {
        my $e = $estimate->{$origin};
        my $a = $actual && defined $actual->{$origin} ? $actual->{$origin} : '?';
        my $mark = '';
        if ($a ne '?' && $a != $e) {
            if ($e > $a) { push @ahead, $origin; $mark = '  estimate ahead'; }
            else         { push @behind, $origin; $mark = '  estimate behind'; }
        }
        printf "%-24s %14s %14s%s\n", $origin, $e, $a, $mark;
    }
    if (!$actual) {
        print "The actual row cannot be read: the replica's host did not answer.\n";
        return 1;
    }
    if (@ahead) {
        print "This site believes \"$replica\" has changes it lacks (a packet was lost or waits there).\n";
        print "Repair: multitool chepoch -actual $sel, then multitool syncreplica -export -fship $sel\n";
    } elsif (@behind) {
        print "\"$replica\" holds changes this site has not recorded; an import or chepoch -actual brings it up to date.\n";
    } else {
        print "This site's estimate matches the actual row.\n";
    }
    return 0;
}

unless ($WINDOWS) {
    $SIG{TERM} = $SIG{INT} = sub { fail('stopped.') };
}

my $usage = "usage: $ME VOB-TAG | $ME VOB-TAG REPLICA | $ME -report VOB-TAG REPLICA | $ME [-here REPLICA -replicas NAME,...] [-local] VOB-TAG";
my %given;
while (@ARGV >= 2 && ($ARGV[0] eq '-here' || $ARGV[0] eq '-replicas')) {
    my $option = shift @ARGV;
    $given{$option} = shift @ARGV;
}
my $known;
if (%given) {
    fail($usage) unless defined $given{'-here'} && defined $given{'-replicas'};
    my @names = grep { length } split(/,/, $given{'-replicas'});
    fail("-replicas names no replica.") unless @names;
    fail("-here \"$given{'-here'}\" is not among the replicas given.") unless grep { $_ eq $given{'-here'} } @names;
    $known = { here => $given{'-here'}, names => \@names };
}
if (!$known && @ARGV && $ARGV[0] eq '-report') {
    fail($usage) unless @ARGV == 3;
    exit replica_report($ARGV[1], $ARGV[2]);
}
if (@ARGV && $ARGV[0] eq '-local') {
    fail($usage) unless @ARGV == 2;
    exit matrices($ARGV[1], 1, $known);
}
exit 0 if !$known && @ARGV == 2;
fail($usage) unless @ARGV == 1;
exit matrices($ARGV[0], 0, $known);
