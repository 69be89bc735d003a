#!/usr/bin/env perl
# A stand-in for cleartool that misbehaves on request, for the co-process
# client's tests. "fake_cleartool.pl -status" reads one command per line and
# ends each reply with "Command N returned status S"; with other arguments it
# runs them as one command and exits with its status.
#
# Commands: print TEXT (\n \r \t \\ escapes, no newline added), slow TEXT
# (the same; under -status in pieces, with pauses), fail TEXT (TEXT on
# stderr, status 1), warn TEXT (TEXT on stderr, "ok" on stdout, status 0),
# pid, count (this command's number), die (dies half-way), late (writes
# after its status), lsvob -short, exit, quit.
# FAKE_CT_BROKEN=1 makes -status refuse to run; FAKE_CT_CRLF=1 ends status
# lines with CR LF.
use strict;
use warnings;
use Time::HiRes qw(sleep);

my $eol = $ENV{FAKE_CT_CRLF} ? "\r\n" : "\n";
my $number = 0;

sub unescape {
    my ($text) = @_;
    my %map = (n => "\n", r => "\r", t => "\t", '\\' => '\\');
    $text =~ s/\\([nrt\\])/$map{$1}/g;
    return $text;
}

# Runs one command; returns (output, error text, status), or dies/exits for
# the commands that misbehave on purpose.
sub run {
    my ($line) = @_;
    my ($word, $rest) = split / /, $line, 2;
    $rest = '' unless defined $rest;
    $word = '' unless defined $word;
    if ($word eq 'print' || $word eq 'slow') { return (unescape($rest), '', 0); }
    if ($word eq 'fail')  { return ('', unescape($rest), 1); }
    if ($word eq 'warn')  { return ('ok', unescape($rest), 0); }
    if ($word eq 'pid')   { return ($$, '', 0); }
    if ($word eq 'count') { return ($number, '', 0); }
    if ($word eq 'lsvob' && $rest eq '-short') {
        return ("\\a\r\n/vobs/b\r\n\r\n/vobs/c\r\n\\D e\r\n", '', 0);
    }
    if ($word eq 'die') {
        syswrite STDOUT, "partial";
        exit 3;
    }
    return ('', "cleartool: Error: Unrecognized command: \"$line\"\n", 1);
}

if (@ARGV && $ARGV[0] eq '-status') {
    if ($ENV{FAKE_CT_BROKEN}) {
        print STDERR "Usage: cleartool subcommand [options]\n";
        exit 1;
    }
    while (my $line = <STDIN>) {
        $line =~ s/\r?\n\z//;
        ++$number;
        exit 0 if $line eq 'exit' || $line eq 'quit';
        my ($word, $rest) = split / /, $line, 2;
        $word = '' unless defined $word;
        if ($word eq 'slow') {
            my $text = unescape(defined $rest ? $rest : '');
            my $half = int(length($text) / 2);
            syswrite STDOUT, substr($text, 0, $half);
            sleep 0.2;
            syswrite STDOUT, substr($text, $half);
            sleep 0.2;
            syswrite STDOUT, "Command $number returned status 0$eol";
            next;
        }
        if ($word eq 'late') {
            syswrite STDOUT, "xCommand $number returned status 0$eol";
            sleep 0.1;
            syswrite STDOUT, "stray$eol";
            next;
        }
        my ($out, $err, $status) = run($line);
        syswrite STDERR, $err if length $err;
        # Output and status line in one write, as a buffered cleartool does.
        syswrite STDOUT, $out . "Command $number returned status $status$eol";
    }
    exit 0;
}

my ($out, $err, $status) = run(join(' ', @ARGV));
print STDERR $err;
print $out;
exit $status;
