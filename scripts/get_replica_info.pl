#!/usr/bin/perl
# get_replica_info.pl - the epoch matrices of one VOB family, for Quorvane.
#
# Usage:
#   ccperl get_replica_info.pl VOB-TAG
#   ccperl get_replica_info.pl VOB-TAG REPLICA
#
# With the VOB tag alone it writes two files into the current directory:
#   _results.txt        the actual matrix: each replica's own row, fetched
#                       from its host (multitool lsepoch -actual), one child
#                       process per replica, all at the same time;
#   _results_local.txt  the local matrix: this site's epoch table
#                       (multitool lsepoch -invob).
# One line per replica, in the order cleartool lsreplica -short lists them:
# the replica name, then one value per replica in that same order, separated
# by commas, each line ended by CR LF. A value that cannot be determined (the
# replica's host cannot be reached) is written as "?". Each file is written
# under a temporary name and then renamed, so a reader never sees half a
# file. Exit status 0 when both files were written, 1 otherwise (with a
# message on stderr).
#
# With a replica name as well it leaves the results files alone and prints a
# short report for that replica: this site's estimate of it next to its
# actual row, and which entries differ, with the commands that repair it.
# It costs two multitool calls. Exit status 0 when both rows were read.
#
# cleartool and multitool are called by name from PATH, never through a
# shell. GET_REPLICA_INFO_JOBS limits how many hosts are asked at once
# (default 32).

use strict;
use warnings;

my $ME = 'get_replica_info.pl';

sub fail {
    print STDERR "$ME: @_\n";
    exit 1;
}

# Starts a program with a pipe from its output; returns the handle or undef.
sub start {
    my @cmd = @_;
    my $pid = open(my $fh, '-|', @cmd);
    unless ($pid) {
        print STDERR "$ME: cannot start $cmd[0]: $!\n";
        return undef;
    }
    return $fh;
}

# Reads a started program to its end; returns its output when it succeeded.
sub finish {
    my ($fh) = @_;
    return undef unless $fh;
    local $/;
    my $out = <$fh>;
    $out = '' unless defined $out;
    close $fh;
    return $? == 0 ? $out : undef;
}

sub run { return finish(start(@_)); }

# Rows of lsepoch output: { row name => { origin name => number } }.
sub parse_rows {
    my ($text) = @_;
    my (%rows, $row);
    for my $line (split /\r?\n/, $text) {
        if ($line =~ /^Oplog IDs for row "(.*)" \(\@ ?.*\):\s*$/) {
            $row = $1;
            $rows{$row} = {};
        } elsif (defined $row && $line =~ /^\s*oid:\S+?=(\d+)\s*\((.*)\)\s*$/) {
            $rows{$row}{$2} = $1;
        }
    }
    return \%rows;
}

sub replicas_of {
    my ($tag) = @_;
    my $out = run('cleartool', 'lsreplica', '-short', '-invob', $tag);
    fail("cannot list the replicas of VOB \"$tag\".") unless defined $out;
    my @names = grep { length && !/^For VOB replica/ } map { s/\s+$//r } split /\r?\n/, $out;
    fail("VOB \"$tag\" lists no replicas.") unless @names;
    return @names;
}

# The actual rows of all replicas, asked of their hosts in parallel.
sub actual_rows {
    my ($tag, @names) = @_;
    my $jobs = $ENV{GET_REPLICA_INFO_JOBS} || 32;
    $jobs = 1 if $jobs !~ /^\d+$/ || $jobs < 1;
    my %rows;
    for (my $i = 0; $i < @names; $i += $jobs) {
        my @batch = @names[$i .. ($i + $jobs - 1 < $#names ? $i + $jobs - 1 : $#names)];
        my %pipes = map { $_ => start('multitool', 'lsepoch', '-actual', "$_\@$tag") } @batch;
        for my $name (@batch) {
            my $out = finish($pipes{$name});
            next unless defined $out;
            my $parsed = parse_rows($out);
            $rows{$name} = $parsed->{$name} if $parsed->{$name};
        }
    }
    return \%rows;
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
        unlink $tmp;
        fail("cannot write $tmp: $!");
    }
    unless (rename $tmp, $file) {
        my $err = $!;
        unlink $tmp;
        fail("cannot replace $file: $err");
    }
}

sub matrices {
    my ($tag) = @_;
    my @names = replicas_of($tag);
    # The local table is read while the hosts are being asked.
    my $local_pipe = start('multitool', 'lsepoch', '-invob', $tag);
    my $actual = actual_rows($tag, @names);
    my $local_out = finish($local_pipe);
    my $local = defined $local_out ? parse_rows($local_out) : {};
    print STDERR "$ME: cannot read the local epoch table of \"$tag\".\n" unless defined $local_out;
    write_matrix('_results.txt', \@names, $actual);
    write_matrix('_results_local.txt', \@names, $local);
    return 0;
}

sub replica_report {
    my ($tag, $replica) = @_;
    my $sel = "$replica\@$tag";
    my $estimate_pipe = start('multitool', 'lsepoch', $sel);
    my $actual_pipe = start('multitool', 'lsepoch', '-actual', $sel);
    my $estimate_out = finish($estimate_pipe);
    my $actual_out = finish($actual_pipe);
    fail("cannot read this site's epoch row for \"$sel\".") unless defined $estimate_out;
    my $estimate = parse_rows($estimate_out)->{$replica} || {};
    my $actual = defined $actual_out ? (parse_rows($actual_out)->{$replica} || {}) : undef;

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
        print "The actual row cannot be read: the replica's host is not reachable.\n";
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

fail("usage: $ME VOB-TAG [REPLICA]") unless @ARGV == 1 || @ARGV == 2;
exit(@ARGV == 2 ? replica_report(@ARGV) : matrices($ARGV[0]));
